// Site Options refuses a live directory that would have the rotation tool overwrite a rotation's
// own files, as it refuses an empty one: the box names the rotation and the dialog stays open.
#include "platform/ini_file.h"
#include "site_manager/site_options_dialog.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QFile>
#include <QLineEdit>
#include <QPushButton>
#include <QTest>

using platform::MessageResult;
using testing_support::MessageScript;

class SiteOptionsLiveDirectoryTest : public MainWindowTest {};

TEST_F(SiteOptionsLiveDirectoryTest, ALiveDirectoryOnARotationIsRefusedAndOneBesideItIsStored) {
    const struct {
        const char* what;
        const char* rotation1;    // Rotation_Path of rotation 1, below the data directory
        const char* live;         // the live directory typed, below the data directory
        const char* link;         // made below the data directory, leading to "site/R2"; empty: none
        const char* overwritten;  // the folder the box names; empty: the options are stored
        int rotation;
    } cases[] = {
        {"the site directory, which is rotation 1", "site/", "site", "", "site/", 1},
        {"a link to rotation 2's directory", "site/R1/", "www", "www", "site/R2/", 2},
        {"rotation 1's thumbs folder", "site/R1/", "site/R1/thumbs", "", "site/R1/thumbs/", 1},
        {"a folder beside the rotations inside the site directory, which is rotation 1", "site/", "site/www", "", "",
         0},
        {"the directory that holds the rotation directories", "site/R1/", "site", "", "", 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
        data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
        data.write("Site_1.ini",
                   "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=2\r\n[Rotation_1]\r\n"
                   "Rotation_Path=%\\" +
                       QByteArray(c.rotation1) + "\r\n[Rotation_2]\r\nRotation_Path=%\\site\\R2\\\r\n");
        data.write(QString(c.rotation1) + "Index.html", "rotation 1");
        data.write(QString(c.rotation1) + "thumbs/a_thb.jpg", "thumb 1");
        data.write("site/R2/Index.html", "rotation 2");
        if (*c.link) QFile::link(data.file("site/R2"), data.file(c.link));
        const QByteArray siteBefore = data.read("Site_1.ini");
        startProgram();
        clickSite("Site_1");

        MessageScript script;
        if (*c.overwritten) script.answer(MessageResult::OK);
        bool stayedOpen = false;
        script.onDialog([&](QDialog& d) {
            auto& options = dynamic_cast<TdlgSIteOptions&>(d);
            QTest::mouseClick(options.chkSpindleway, Qt::LeftButton);
            options.edtlivepath->setText(data.file(c.live));
            QTest::mouseClick(options.BitBtn1, Qt::LeftButton);
            stayedOpen = d.result() == 0;
            if (stayedOpen) QTest::mouseClick(options.BitBtn2, Qt::LeftButton);
            return d.result();
        });
        main->btnsiteoptionsClick();

        EXPECT_EQ(stayedOpen, *c.overwritten != 0);
        if (*c.overwritten) {
            EXPECT_EQ(script.texts(),
                      QStringList{"Copying the rotation to " + data.file(c.live) +
                                  " would overwrite the files of rotation " + QString::number(c.rotation) + " in " +
                                  data.file(c.overwritten) + "!  Please choose another directory."});
            EXPECT_EQ(script.requests().front().kind, platform::MessageKind::Information);
            EXPECT_EQ(data.read("Site_1.ini"), siteBefore);
        } else {
            EXPECT_EQ(script.texts(), QStringList());
            const platform::IniFile site(data.file("Site_1.ini"));
            EXPECT_EQ(site.readString("General", "LivePath", ""), data.file(c.live));
            EXPECT_EQ(site.readString("General", "AutoRotate", ""), "True");
        }
        stopProgram();
    }
}
