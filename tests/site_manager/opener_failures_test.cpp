// Every button, link and menu entry of the site-gallery program that hands a page or address to
// the desktop's opener: a real opener program that fails, even after it started, is reported with
// the file it was given; one that succeeds shows nothing.
#include "components/context_menu.h"
#include "site_manager/about_box.h"
#include "site_manager/builder/html_editor.h"
#include "tests/common/stand_in_opener.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QRadioButton>
#include <QTest>
#include <QToolButton>

using testing_support::MessageScript;

namespace {

constexpr int HangGuardMs = 30000;

class OpenerFailuresTest : public MainWindowTest {
protected:
    testing_support::StandInOpener opener;
};

// A click on the link's text, where the label reacts to it.
void clickLink(QLabel* link) { QTest::mouseClick(link, Qt::LeftButton, {}, QPoint(4, link->height() / 2)); }

}  // namespace

TEST_F(OpenerFailuresTest, AFailingOpenerIsReportedWithTheFileItWasGiven) {
    writeGardenSite(true);
    const QString page = data.write("Styles/page.htm", "<html><body>***CONTENT***</body></html>");
    struct Case {
        const char* name;
        // Clicks through the real windows and returns the target the opener is to get.
        std::function<QString(MessageScript&)> click;
        QString failure;  // the message; empty: "Unable to open the file, " + the target
    };
    const auto inAbout = [&](MessageScript& script, QLabel* TAboutBox::*link) {
        script.onDialog([link](QDialog& d) {
            auto& about = dynamic_cast<TAboutBox&>(d);
            clickLink(about.*link);
            QTest::mouseClick(about.OKbtn, Qt::LeftButton);
            return d.result();
        });
        main->btnaboutClick();
    };
    const Case cases[] = {
        {"Preview",
         [&](MessageScript& script) {
             QString first;
             inEditor(script, [&](TdlgEditSite& editor) {
                 first = QDir::cleanPath(editor.edtrotationdirectory->text() + "/Index.html");
                 data.write(first.mid(data.path().size()), "<html></html>");
                 CurrentRotationStatus = 2;
                 editor.Displaycurrentstatus();
                 QTest::mouseClick(editor.btnpreview, Qt::LeftButton);
             });
             return first;
         },
         {}},
        {"View Page of the site editor",
         [&](MessageScript& script) {
             inEditor(script, [&](TdlgEditSite& editor) {
                 editor.cmbstyle->setCurrentText(page);
                 QTest::mouseClick(editor.btnviewhtml, Qt::LeftButton);
             });
             return page;
         },
         {}},
        {"View Page of the layout settings",
         [&](MessageScript& script) {
             inEditor(script, [&](TdlgEditSite& editor) {
                 script.onDialog([&](QDialog& d) {
                     auto& settings = dynamic_cast<TdlgThumbOptions&>(d);
                     settings.rdbHTMLImageWindow->setChecked(true);
                     settings.cmbimagestyle->setCurrentText(page);
                     QTest::mouseClick(settings.btnViewPage, Qt::LeftButton);
                     return int(platform::mrCancel);
                 });
                 QTest::mouseClick(editor.btnThumbnailOptions, Qt::LeftButton);
             });
             return page;
         },
         {}},
        {"about box mail link",
         [&](MessageScript& script) {
             inAbout(script, &TAboutBox::lblemail);
             return QString("mailto:support@lumenfold.example");
         },
         {}},
        {"about box home page link",
         [&](MessageScript& script) {
             inAbout(script, &TAboutBox::lbltavrel);
             return QString("https://lumenfold.example/");
         },
         {}},
        {"Open of a file's context menu",
         [&](MessageScript&) {
             DisplayContextMenu(page, nullptr, 0, cmmDefault, nullptr, QPoint());
             return page;
         },
         {}},
        {"HTML editor preview",
         [&](MessageScript&) {
             TfrmRichEdit editor(main.get());
             editor.show();
             editor.setLines({"<B>Top</B>"});
             QTest::mouseClick(editor.btnPreview, Qt::LeftButton);
             return data.file("~prev.htm");
         },
         "Error encountered previewing this HTML!"},
    };
    for (const Case& c : cases) {
        for (const bool fails : {true, false}) {
            SCOPED_TRACE(std::string(c.name) + (fails ? ", failing" : ", succeeding"));
            startWithGardenSite();
            opener.use(fails ? "exit 3" : "exit 0");
            MessageScript script;
            if (fails) script.answer(platform::MessageResult::OK);
            const QString target = c.click(script);
            ASSERT_TRUE(testing_support::StandInOpener::waitForOpenersToEnd(HangGuardMs));
            EXPECT_EQ(opener.opened(), target);
            const QString failure = c.failure.isEmpty() ? "Unable to open the file, " + target : c.failure;
            EXPECT_EQ(script.texts(), fails ? QStringList{failure} : QStringList());
            if (fails && !script.requests().empty()) {
                EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
            }
            stopProgram();
        }
    }
}
