// Metafiles dropped on the site editor: a readable one becomes a JPEG in the rotation, one that
// cannot be loaded gives the copy-error box and leaves no file behind.
#include "imaging/pixel_graphic.h"
#include "site_manager/image_conversion.h"
#include "tests/imaging/metafile_samples.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QFileInfo>

using platform::MessageResult;
using testing_support::MessageScript;

TEST_F(MainWindowTest, DroppedMetafilesBecomeJpegsOrGiveTheCopyErrorBox) {
    writeGardenSite(true);
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.DropFileTarget1Drop({metafileSample("rect_placeable.wmf"), metafileSample("rect.emf")});
        EXPECT_TRUE(script.texts().isEmpty()) << script.lastText().toStdString();
        for (const char* name : {"rect_placeable.jpg", "rect.jpg"}) {
            TPixelGraphic jpeg;
            jpeg.LoadFromFile(siteDir + "Rotation_1/" + name);
            EXPECT_EQ(jpeg.GetWidth(), 400) << name;
            EXPECT_EQ(jpeg.GetHeight(), 200) << name;
        }

        script.answer(MessageResult::OK);
        editor.DropFileTarget1Drop({metafileSample("badheader.wmf")});
        EXPECT_EQ(script.lastText(), "Error encountered copying the file, " + metafileSample("badheader.wmf") +
                                         "!  You may be out of disk space or do not have write "
                                         "access to the directory you are copying to");
        EXPECT_FALSE(QFileInfo::exists(siteDir + "Rotation_1/badheader.jpg"));
    });
    TPixelGraphic empty;
    EXPECT_FALSE(savetojpeg(empty, siteDir + "empty.jpg", false, 80));
    EXPECT_FALSE(QFileInfo::exists(siteDir + "empty.jpg"));
}
