// Rendering GIF frames: direct and dithered bitmaps, transparency masks, placement and drawing.
#include "tests/imaging/gif_test_support.h"

#include <QPainter>

using namespace gif_test;

namespace {

TGIFGraphicControlExtension* makeTransparent(TGIFSubImage* frame, int index) {
    auto* control = new TGIFGraphicControlExtension(frame);
    frame->Extensions.Add(control);
    control->SetTransparent(true);
    control->SetTransparentColorIndex(index);
    return control;
}

}  // namespace

TEST(GifRender, DirectRenderCopiesIndicesAndBuildsAMask) {
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 9, 2, 2, {0, 1, 2, 3, 0, 1, 2, 3, 1, 3, 3, 3, 3, 3, 3, 3, 3, 0});
    makeTransparent(frame, 3);
    const QImage* bitmap = frame->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->format(), QImage::Format_Indexed8);
    EXPECT_EQ(bitmap->colorTable(), frame->ColorMap.CreatePaletteHandle());
    EXPECT_EQ(bitmap->pixelIndex(8, 0), 1);
    ASSERT_TRUE(frame->HasMask());
    const QImage& mask = *frame->Mask;
    EXPECT_EQ(mask.format(), QImage::Format_Mono);
    // Row 0: pixels 3 and 7 transparent; width 9 spans two bytes.
    EXPECT_EQ(mask.constScanLine(0)[0], 0x11);
    EXPECT_EQ(mask.constScanLine(0)[1] & 0x80, 0);
    EXPECT_EQ(mask.constScanLine(1)[0], 0xFF);
    EXPECT_EQ(mask.constScanLine(1)[1] & 0x80, 0);
    // A transparent frame whose pixels never use the index gets no mask.
    TGIFImage other;
    TGIFSubImage* clear = addFrame(other, 2, 2, 2, {0, 1, 2, 1});
    makeTransparent(clear, 3);
    EXPECT_FALSE(clear->HasMask());
}

TEST(GifRender, PixelsBeyondTheColourTableRenderBlack) {
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 3, 1, 1, {0, 1, 200});
    const QImage* bitmap = frame->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_GE(bitmap->colorCount(), 201);
    EXPECT_EQ(bitmap->pixel(2, 0), qRgb(0, 0, 0));
    EXPECT_EQ(bitmap->pixel(1, 0), qRgb(42, 244, 71));
}

TEST(GifRender, DitheringToTheCube) {
    TGIFImage image;
    image.DrawOptions = DrawDither;  // dither whatever the display
    TGIFSubImage* frame = addFrame(image, 4, 2, 1, {0, 1, 1, 0, 1, 0, 0, 1});
    // Colours on the cube dither to themselves.
    frame->ColorMap.Clear();
    frame->ColorMap.Add(gifRGB(51, 102, 255));
    frame->ColorMap.Add(gifRGB(0, 0, 0));
    const QImage* bitmap = frame->GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->colorCount(), 216);
    EXPECT_EQ(bitmap->pixelIndex(0, 0), 1 * 36 + 2 * 6 + 5);
    EXPECT_EQ(bitmap->pixelIndex(1, 0), 0);
    EXPECT_EQ(bitmap->pixel(1, 1), qRgb(51, 102, 255));
    // A mid grey off the cube spreads its error: the average stays close to the colour.
    TGIFImage grey;
    grey.DrawOptions = DrawDither;
    TGIFSubImage* flat = addFrame(grey, 32, 32, 1, std::vector<uint8_t>(1024, 0));
    flat->ColorMap.Clear();
    flat->ColorMap.Add(gifRGB(128, 128, 128));
    const QImage* dithered = flat->GetBitmap();
    double sum = 0;
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 32; ++x) sum += qRed(dithered->pixel(x, y));
    EXPECT_NEAR(sum / 1024, 128, 3);
}

TEST(GifRender, ScaleRectPlacesTheFrameOnTheScreen) {
    TGIFImage image;
    image.SetWidth(100);
    image.SetHeight(50);
    TGIFSubImage* frame = addFrame(image, 20, 10, 1, std::vector<uint8_t>(200, 1), false, 10, 5);
    const QRect placed = frame->ScaleRect(QRect(0, 0, 200, 100));
    EXPECT_EQ(placed, QRect(20, 10, 40, 20));
}

TEST(GifRender, DrawingLeavesTransparentPixelsAlone) {
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 2, 2, 1, {0, 1, 1, 0});
    frame->ColorMap.Clear();
    frame->ColorMap.Add(gifRGB(255, 0, 0));
    frame->ColorMap.Add(gifRGB(0, 0, 255));
    makeTransparent(frame, 1);
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(qRgb(0, 255, 0));
    {
        QPainter painter(&canvas);
        image.Draw(painter, QRect(0, 0, 4, 4));  // stretched twice
    }
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(2, 0), qRgb(0, 255, 0));
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 0, 0));
    EXPECT_EQ(canvas.pixel(0, 3), qRgb(0, 255, 0));
    // Without the transparent option the transparent colour is drawn as well.
    image.DrawOptions = GIFDefaultDrawOptions & ~DrawTransparent;
    {
        QPainter painter(&canvas);
        image.Draw(painter, QRect(0, 0, 4, 4));
    }
    EXPECT_EQ(canvas.pixel(2, 0), qRgb(0, 0, 255));
}
