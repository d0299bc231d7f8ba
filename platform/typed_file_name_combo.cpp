#include "platform/typed_file_name_combo.h"

#include <QComboBox>
#include <QCompleter>

namespace platform {

void keepTypedFileName(QComboBox* combo) {
    // The combo's own completer matches without regard to case and completes inline; on Enter and
    // on leaving, the combo looks the text up among its items with that completer's case rule and
    // takes the item it finds. A case-sensitive completer that only offers makes both exact.
    auto* completer = new QCompleter(combo->model(), combo);
    completer->setCaseSensitivity(Qt::CaseSensitive);
    completer->setCompletionMode(QCompleter::PopupCompletion);
    completer->setCompletionColumn(combo->modelColumn());
    combo->setCompleter(completer);
}

}  // namespace platform
