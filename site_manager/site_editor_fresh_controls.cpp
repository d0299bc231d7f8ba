#include "site_manager/site_editor_fresh_controls.h"

#include "site_manager/builder/colour_combo.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/site_editor.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QLineEdit>
#include <QPointer>
#include <QSpinBox>

namespace {

// How to give a combo back its choice: an editable one its text, a fixed list its item, a colour
// combo also its custom colour.
std::function<void()> comboRestorer(QComboBox* combo) {
    QPointer<QComboBox> guarded(combo);
    const int index = combo->currentIndex();
    const QString text = combo->currentText();
    const auto* colourCombo = qobject_cast<TColourCombo*>(combo);
    const std::uint32_t colour = colourCombo ? colourCombo->Color() : 0;
    const QPalette palette = combo->palette();
    return [guarded, index, text, colour, palette] {
        if (!guarded) return;
        if (auto* colourCombo = qobject_cast<TColourCombo*>(guarded.data())) {
            colourCombo->setColor(colour);
            colourCombo->setPalette(palette);
        }
        if (!guarded->isEditable()) {
            guarded->setCurrentIndex(index);
            return;
        }
        const int item = guarded->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (item >= 0) guarded->setCurrentIndex(item);
        guarded->setEditText(text);
    };
}

// How to give a control back its value; nothing for a widget that holds no setting (labels,
// push buttons, and the edits inside combos and spin boxes, which their owners restore).
std::function<void()> restorerOf(QWidget* widget) {
    QWidget* owner = widget->parentWidget();
    if (qobject_cast<QComboBox*>(owner) || qobject_cast<QAbstractSpinBox*>(owner)) return {};
    if (auto* combo = qobject_cast<QComboBox*>(widget)) return comboRestorer(combo);
    if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        return [guarded = QPointer<QSpinBox>(spin), value = spin->value()] {
            if (guarded) guarded->setValue(value);
        };
    }
    if (auto* edit = qobject_cast<QLineEdit*>(widget)) {
        return [guarded = QPointer<QLineEdit>(edit), text = edit->text()] {
            if (guarded) guarded->setText(text);
        };
    }
    if (auto* button = qobject_cast<QAbstractButton*>(widget); button && button->isCheckable()) {
        return [guarded = QPointer<QAbstractButton>(button), checked = button->isChecked()] {
            if (guarded) guarded->setChecked(checked);
        };
    }
    return {};
}

}  // namespace

FreshRotationControls::FreshRotationControls(TdlgEditSite& editor) {
    QList<QWidget*> controls{editor.cmbstyle,      editor.cmbHeader,     editor.cmbFooter,    editor.edtheaderhtml,
                             editor.edtheaderfile, editor.edtfooterhtml, editor.edtfooterfile};
    if (dlgThumbOptions) controls += dlgThumbOptions->findChildren<QWidget*>();
    for (QWidget* control : controls)
        if (auto restorer = restorerOf(control)) restorers_ << std::move(restorer);
}

void FreshRotationControls::restore() const {
    // Twice: putting one control back runs its change handling, which may change another that
    // was already put back (switching custom buttons off clears their graphics option).
    for (int pass = 0; pass < 2; ++pass)
        for (const auto& restorer : restorers_) restorer();
}
