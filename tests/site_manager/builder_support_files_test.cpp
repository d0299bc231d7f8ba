// Support files: found whatever the case of their names, and copied where the pages look for them
// without ever leaving the rotation directory.
#include "site_manager/builder/support_files.h"
#include "tests/common/temp_data_dir.h"

#include <gtest/gtest.h>

using testing_support::TempDataDir;

TEST(BuilderSupportFiles, FilesAreFoundWithoutRegardToCase) {
    TempDataDir data;
    const QString paper = data.write("Styles/Images/Paper.GIF", "GIF89a");
    const QString styles = data.path() + "Styles/";
    EXPECT_EQ(findFileIgnoringCase(styles, "Images/Paper.GIF"), styles + "Images/Paper.GIF");
    EXPECT_EQ(findFileIgnoringCase(styles, "images/paper.gif"), styles + "Images/Paper.GIF");
    EXPECT_EQ(findFileIgnoringCase(styles + "sub/", "../IMAGES/paper.gif"), paper);
    EXPECT_EQ(findFileIgnoringCase(QString(), styles + "IMAGES/paper.GIF"), paper);
    EXPECT_EQ(findFileIgnoringCase(styles, "images/missing.gif"), QString());
    EXPECT_EQ(findFileIgnoringCase(styles, "images"), QString());  // a folder is no file
}

TEST(BuilderSupportFiles, TargetsKeepTheirPlaceBelowTheTemplateAndNeverLeaveTheRotation) {
    const QStringList templates{"/t/Styles/", "/t/Styles/Image/"};
    const struct {
        const char* Source;
        const char* Target;
    } cases[] = {{"/t/Styles/gallery.css", "gallery.css"},    {"/t/Styles/images/Banner.jpg", "images/Banner.jpg"},
                 {"/t/Styles/Image/frame.gif", "frame.gif"},  // the image template's own folder
                 {"/t/Styles/../outside.gif", "outside.gif"}, {"/t/Styles/images/../../up.gif", "up.gif"},
                 {"/t/Styles//etc/passwd", "passwd"},         {"/elsewhere/navgraph/Next.gif", "Next.gif"}};
    for (const auto& c : cases) EXPECT_EQ(supportFileTarget(c.Source, templates, false), c.Target) << c.Source;
    EXPECT_EQ(supportFileTarget("/t/Styles/images/Banner.jpg", templates, true), "images/banner.jpg");
}
