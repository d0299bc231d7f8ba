// An editor that could load no rotation shows the rotation controls as a freshly started program
// shows them, never what the site edited before left there.
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QSpinBox>

using testing_support::MessageScript;

TEST_F(MainWindowTest, AnEditorWithoutARotationShowsNothingOfTheSiteEditedBefore) {
    // Alpha (Site_1) and Beta (Site_2), one rotation each, and two templates in the recent list.
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Alpha\r\nSite_2=Beta\r\n");
    for (const QByteArray key : {"Site_1", "Site_2"}) {
        data.write(key + ".ini", "[General]\r\nName=" + key + "\r\nPath=%\\" + key +
                                     "\\\r\nRotationCount=1\r\n[Rotation_1]\r\nRotation_Path=%\\" + key + "\\R1\\\r\n");
        QDir().mkpath(data.path() + key + "/R1");
    }
    const QString templates = data.path() + "Styles/";
    data.write("recent_styles.txt", (templates + "A_first.htm\r\n" + templates + "B_second.htm\r\n").toUtf8());

    const struct {
        const char* control;
        std::function<QString()> shown;
        std::function<void()> setAlphas;
    } controls[] = {
        {"template", [] { return dlgEditSite->cmbstyle->currentText(); },
         [&] { dlgEditSite->cmbstyle->setCurrentText(templates + "B_second.htm"); }},
        {"footer choice", [] { return dlgEditSite->cmbFooter->currentText(); },
         [] { dlgEditSite->cmbFooter->setCurrentIndex(1); }},
        {"footer text", [] { return dlgEditSite->edtfooterhtml->text(); },
         [] { dlgEditSite->edtfooterhtml->setText("<p>ALPHA FOOTER</p>"); }},
        {"thumbnail width", [] { return dlgThumbOptions->SpnThumbW->text(); },
         [] { dlgThumbOptions->SpnThumbW->setValue(150); }},
        {"thumbnails across", [] { return dlgThumbOptions->spnHorzCOunt->text(); },
         [] { dlgThumbOptions->spnHorzCOunt->setValue(3); }},
    };
    const auto shown = [&] {
        QStringList values;
        for (const auto& c : controls) values << c.shown();
        return values;
    };
    // Opens the site's editor and, over it, Other Layout Settings, where the body runs.
    const auto inLayoutSettings = [&](const QString& key, const std::function<void()>& body) {
        clickSite(key);
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            script.onDialog([&](QDialog&) {
                body();
                return int(platform::mrOk);
            });
            QTest::mouseClick(editor.btnThumbnailOptions, Qt::LeftButton);
        });
    };

    // Alpha's rotation stores none of these settings: its editor first shows them fresh.
    startProgram();
    QStringList fresh, alphas, beta;
    inLayoutSettings("Site_1", [&] {
        fresh = shown();
        for (const auto& c : controls) c.setAlphas();
        alphas = shown();
    });
    QDir(data.path() + "Site_2/R1").removeRecursively();
    inLayoutSettings("Site_2", [&] { beta = shown(); });
    ASSERT_EQ(beta.size(), std::size(controls));
    for (std::size_t i = 0; i < std::size(controls); ++i) {
        SCOPED_TRACE(controls[i].control);
        EXPECT_NE(beta[i], alphas[i]);
        EXPECT_EQ(beta[i], fresh[i]);
    }
}
