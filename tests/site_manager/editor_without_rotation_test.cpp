// An editor that could load no rotation shows the rotation controls as a freshly started program
// shows them, never what the site edited before left there.
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <functional>

using testing_support::MessageScript;

namespace {

class EditorWithoutRotationTest : public MainWindowTest {
protected:
    // Alpha (Site_1) and Beta (Site_2), one rotation each, and two templates in the recent list.
    void SetUp() override {
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
        for (const QString name : {"Alpha", "Beta"}) {
            const QString key = name == "Alpha" ? "Site_1" : "Site_2";
            data.write(key + ".ini", "[General]\r\nName=" + name.toUtf8() + "\r\nPath=%\\" + name.toUtf8() +
                                         "\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\" + name.toUtf8() +
                                         "\\Rotation_1\\\r\n");
            QDir().mkpath(data.path() + name + "/Rotation_1");
        }
        data.write("recent_styles.txt",
                   (data.path() + "Styles/A_first.htm\r\n" + data.path() + "Styles/B_second.htm\r\n").toUtf8());
    }

    // Opens the site's editor; the body runs in it, and may open the layout settings.
    void inSiteEditor(const QString& key, const std::function<void(TdlgEditSite&, MessageScript&)>& body) {
        clickSite(key);
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) { body(editor, script); });
    }

    // Runs the body in the layout settings dialog, opened by the editor's button.
    static void inLayoutSettings(TdlgEditSite& editor, MessageScript& script, const std::function<void()>& body) {
        script.onDialog([&](QDialog&) {
            body();
            return int(platform::mrOk);
        });
        QTest::mouseClick(editor.btnThumbnailOptions, Qt::LeftButton);
    }
};

}  // namespace

TEST_F(EditorWithoutRotationTest, ShowsNothingOfTheSiteEditedBefore) {
    const struct {
        const char* control;
        std::function<QString()> shown;
        std::function<void()> setAlphas;
    } controls[] = {
        {"template", [] { return dlgEditSite->cmbstyle->currentText(); },
         [this] { dlgEditSite->cmbstyle->setCurrentText(data.path() + "Styles/B_second.htm"); }},
        {"footer choice", [] { return dlgEditSite->cmbFooter->currentText(); },
         [] { dlgEditSite->cmbFooter->setCurrentIndex(1); }},
        {"footer text", [] { return dlgEditSite->edtfooterhtml->text(); },
         [] { dlgEditSite->edtfooterhtml->setText("<p>ALPHA FOOTER</p>"); }},
        {"thumbnail width", [] { return dlgThumbOptions->SpnThumbW->text(); },
         [] { dlgThumbOptions->SpnThumbW->setValue(150); }},
        {"thumbnails across", [] { return dlgThumbOptions->spnHorzCOunt->text(); },
         [] { dlgThumbOptions->spnHorzCOunt->setValue(3); }},
    };
    // What the editor and Other Layout Settings, open over it, show.
    const auto shownIn = [&](TdlgEditSite& editor, MessageScript& script) {
        QStringList shown;
        inLayoutSettings(editor, script, [&] {
            for (const auto& c : controls) shown << c.shown();
        });
        return shown;
    };

    // A freshly started program opens Beta, whose first rotation folder is gone.
    QDir(data.path() + "Beta/Rotation_1").removeRecursively();
    startProgram();
    QStringList fresh;
    inSiteEditor("Site_2", [&](TdlgEditSite& editor, MessageScript& script) { fresh = shownIn(editor, script); });
    stopProgram();

    // Started again: Alpha gets settings of its own; then Beta is opened.
    startProgram();
    QStringList alphas;
    inSiteEditor("Site_1", [&](TdlgEditSite& editor, MessageScript& script) {
        inLayoutSettings(editor, script, [&] {
            for (const auto& c : controls) c.setAlphas();
        });
        alphas = shownIn(editor, script);
    });
    QStringList beta;
    inSiteEditor("Site_2", [&](TdlgEditSite& editor, MessageScript& script) { beta = shownIn(editor, script); });

    ASSERT_EQ(beta.size(), std::size(controls));
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        SCOPED_TRACE(controls[i].control);
        EXPECT_NE(beta[i], alphas[i]);
        EXPECT_EQ(beta[i], fresh[i]);
    }
}
