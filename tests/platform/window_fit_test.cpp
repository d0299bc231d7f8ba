// Dialogs fitted to the screen as they are shown: at each showing a dialog gets the size its
// contents ask for then (or the size it was given, when larger), whatever it showed before.
#include "platform/modal_dialog.h"

#include <QApplication>
#include <QGroupBox>
#include <QLabel>
#include <QVBoxLayout>
#include <gtest/gtest.h>
#include <map>
#include <ostream>

void PrintTo(const QSize& size, std::ostream* os) { *os << size.width() << "x" << size.height(); }

namespace {

// Its show handler puts the given number of lines into a label inside a group box.
class LinesDialog : public platform::ModalDialog {
public:
    LinesDialog() {
        auto* group = new QGroupBox("Lines");
        label = new QLabel;
        (new QVBoxLayout(group))->addWidget(label);
        (new QVBoxLayout(this))->addWidget(group);
    }
    int lines = 1;
    QLabel* label;

protected:
    void FormShow() override {
        QStringList text;
        for (int i = 1; i <= lines; ++i) text << "Line " + QString::number(i);
        label->setText(text.join('\n'));
    }
};

}  // namespace

TEST(WindowFit, EachShowingFitsWhatTheDialogShowsThen) {
    struct Case {
        const char* name;
        QSize given;  // set before the first showing; empty for none
    };
    const Case cases[] = {{"sized by its contents", QSize()}, {"given a size", QSize(260, 240)}};
    for (const Case& c : cases) {
        LinesDialog dialog;
        if (!c.given.isEmpty()) dialog.resize(c.given);
        std::map<int, QSize> sizeForLines;
        for (int lines : {1, 9, 1, 9, 14, 1}) {
            dialog.lines = lines;
            dialog.show();
            const QSize shown = dialog.size();
            QApplication::processEvents();  // the layouts settle as they would before the first paint
            const std::string where = std::string(c.name) + ", " + std::to_string(lines) + " lines";
            EXPECT_EQ(shown, dialog.size()) << where;
            EXPECT_EQ(shown, dialog.sizeHint().expandedTo(c.given)) << where;
            EXPECT_GE(dialog.label->height(), dialog.label->sizeHint().height()) << where;
            if (sizeForLines.count(lines)) EXPECT_EQ(shown, sizeForLines[lines]) << where;
            sizeForLines[lines] = shown;
            dialog.hide();
        }
    }
}

TEST(WindowFit, ASizeTheUserGaveIsKeptAtTheNextShowing) {
    LinesDialog dialog;
    dialog.show();
    const QSize fitted = dialog.size();
    dialog.hide();
    dialog.resize(fitted + QSize(40, 30));
    dialog.show();
    EXPECT_EQ(dialog.size(), fitted + QSize(40, 30));
    dialog.hide();
}
