// Thumbnails of metafiles: drawn at preview size and fitted; one that cannot be loaded leaves an
// empty image, which gives no thumbnail (the grid shows its error picture) instead of a 0/0 fit.
#include "components/thumb_image_loader.h"
#include "tests/imaging/metafile_samples.h"

TEST(ThumbnailOfMetafile, FittedOrRefused) {
    imaging_test::initLibrary();
    const auto thumb = MakeThumbnail(metafileSample("rect_placeable.wmf"), 100, 100, 1);
    ASSERT_TRUE(thumb);
    EXPECT_EQ(thumb->Image.size(), QSize(100, 50));
    EXPECT_EQ(thumb->Image.pixel(50, 25), qRgb(255, 0, 0));
    EXPECT_FALSE(MakeThumbnail(metafileSample("badheader.wmf"), 100, 100, 1));
    EXPECT_FALSE(MakeThumbnail(metafileSample("badheader.emf"), 100, 100, 1));
}
