#include "site_manager/builder/header_footer.h"

#include "tests/common/temp_data_dir.h"

#include <gtest/gtest.h>

namespace {

BuildSettings templatesWithHeaderAndFooter() {
    BuildSettings settings;
    settings.Features.Thumbnail = {true, true, true, true};
    settings.Features.Image = {true, true, true, true};
    return settings;
}

TEST(BuilderHeaderFooter, ListEntriesCycleWithTheirBarsRemoved) {
    testing_support::TempDataDir dir;
    BuildSettings settings = templatesWithHeaderAndFooter();
    settings.cmbHeader = 2;
    settings.edtheaderfile = dir.write("Site_1_Headers.txt", "<b>one|</b>\r\n<i>t|w|o</i>\r\nthree\r\n");
    HeaderFooterLists lists;
    QStringList taken;
    for (int page = 0; page < 5; ++page) taken << lists.getnextheaderfooter(settings, true, true);
    EXPECT_EQ(taken, QStringList({"<b>one</b>", "<i>two</i>", "three", "<b>one</b>", "<i>two</i>"}));
    EXPECT_EQ(lists.HeaderListPosition(), 2);
    lists.resetPositions();
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "<b>one</b>");
}

TEST(BuilderHeaderFooter, HeaderAndFooterKeepSeparatePositionsAndANewFileRestarts) {
    testing_support::TempDataDir dir;
    BuildSettings settings = templatesWithHeaderAndFooter();
    settings.cmbHeader = 2;
    settings.cmbFooter = 2;
    settings.edtheaderfile = dir.write("h.txt", "h1\r\nh2\r\n");
    settings.edtfooterfile = dir.write("f.txt", "f1\r\nf2\r\nf3\r\n");
    HeaderFooterLists lists;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "h1");
    EXPECT_EQ(lists.getnextheaderfooter(settings, false, true), "f1");
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "h2");
    EXPECT_EQ(lists.getnextheaderfooter(settings, false, true), "f2");
    settings.edtheaderfile = dir.write("other.txt", "o1\r\no2\r\n");
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "o1");
    EXPECT_EQ(lists.getnextheaderfooter(settings, false, true), "f3");
}

TEST(BuilderHeaderFooter, ChoicesForThumbnailAndImagePages) {
    testing_support::TempDataDir dir;
    BuildSettings settings = templatesWithHeaderAndFooter();
    settings.edtheaderhtml = "<h1>Gal|lery</h1>";
    settings.edtimageheaderhtml = "<p>ima|ge</p>";
    settings.edtimageheaderfile = dir.write("ih.txt", "i|1\r\ni2\r\n");
    HeaderFooterLists lists;

    settings.cmbHeader = 0;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "");
    settings.cmbHeader = 1;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "<h1>Gallery</h1>");
    settings.cmbimageHeader = 0;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "");
    settings.cmbimageHeader = 1;  // same as thumbnail pages
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "<h1>Gallery</h1>");
    settings.cmbimageHeader = 2;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "<p>image</p>");
    settings.cmbimageHeader = 3;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "i1");
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "i2");

    // A template without the placeholder gets nothing, whatever the choice.
    settings.Features.Image.Header = false;
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "");
    settings.Features.Thumbnail.Header = false;
    settings.Features.Image.Header = true;
    settings.cmbimageHeader = 1;  // the thumbnail template is not tested for image pages
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, false), "<h1>Gallery</h1>");
    EXPECT_EQ(lists.getnextheaderfooter(settings, true, true), "");
}

TEST(BuilderHeaderFooter, UnreadableOrEmptyListFailsThePage) {
    testing_support::TempDataDir dir;
    BuildSettings settings = templatesWithHeaderAndFooter();
    settings.cmbFooter = 2;
    settings.edtfooterfile = dir.file("missing.txt");
    HeaderFooterLists lists;
    EXPECT_THROW(lists.getnextheaderfooter(settings, false, true), PageBuildError);
    settings.edtfooterfile = dir.write("empty.txt", "");
    EXPECT_THROW(lists.getnextheaderfooter(settings, false, true), PageBuildError);
}

}  // namespace
