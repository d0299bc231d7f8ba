#include "site_manager/builder/thumbnail_sizing.h"

#include <gtest/gtest.h>

TEST(ThumbnailSizing, FitsIntoTheBoxWithoutEnlarging) {
    EXPECT_EQ(calculatedimensions(250, 188, 100, 100), QSize(100, 75));
    EXPECT_EQ(calculatedimensions(400, 300, 400, 300), QSize(400, 300));
    EXPECT_EQ(calculatedimensions(80, 60, 100, 100), QSize(80, 60));
    EXPECT_EQ(calculatedimensions(100, 60, 100, 100), QSize(100, 60));
    EXPECT_EQ(calculatedimensions(600, 2000, 150, 150), QSize(45, 150));  // tall image
    EXPECT_EQ(calculatedimensions(3000, 1000, 200, 100), QSize(200, 66));
}

TEST(ThumbnailSizing, DecoderScaleKeepsBothAxesAtLeastTheBox) {
    EXPECT_EQ(AxisScale(2000, 100), 8);
    EXPECT_EQ(AxisScale(1500, 100), 8);
    EXPECT_EQ(JpegScaleFor(2000, 1500, 100, 100), 8);
    EXPECT_EQ(JpegScaleFor(800, 600, 400, 300), 2);
    EXPECT_EQ(JpegScaleFor(800, 600, 401, 300), 1);
    EXPECT_EQ(JpegScaleFor(6000, 4000, 150, 150), 8);
    EXPECT_EQ(JpegScaleFor(1000, 1000, 200, 200), 4);
    EXPECT_EQ(JpegScaleFor(80, 60, 100, 100), 1);
}

TEST(ThumbnailSizing, JpegExtensionsAndThumbnailNames) {
    EXPECT_TRUE(IsJpegFile("/x/a.JPE"));
    EXPECT_TRUE(IsJpegFile("b.jpeg"));
    EXPECT_TRUE(IsJpegFile("c.Jpg"));
    EXPECT_FALSE(IsJpegFile("d.bmp"));
    EXPECT_FALSE(IsJpegFile("jpg"));
    EXPECT_EQ(ThumbnailFileName("Beach.jpg"), "Beach_thb.jpg");
    EXPECT_EQ(ThumbnailFileName("my.holiday.gif"), "my.holiday_thb.jpg");
    EXPECT_EQ(ThumbnailFileName(""), "");
}
