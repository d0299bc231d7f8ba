// The GIF graphic class: frames and the logical screen, bitmaps, copying, progress and clipboard.
#include "tests/imaging/gif_test_support.h"

#include <QMimeData>

using namespace gif_test;

namespace {

QImage indexedImage(int width, int height, int colours) {
    QImage image(width, height, QImage::Format_Indexed8);
    QList<QRgb> table;
    for (int i = 0; i < colours; ++i) table << qRgb(i * 10 % 256, 255 - i, i * 3 % 256);
    image.setColorTable(table);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) image.scanLine(y)[x] = uchar((x * 7 + y * 3) % colours);
    return image;
}

struct ProgressLog {
    QStringList Entries;
    void attach(TGIFImage& image) {
        image.OnProgress = [this](const void*, GifProgressStage stage, int percent, bool, const QRect&, const QString& message) {
            const char* name = stage == GifProgressStage::Starting ? "start" : stage == GifProgressStage::Running ? "run" : "end";
            Entries << QStringLiteral("%1 %2 %3").arg(QLatin1String(name)).arg(percent).arg(message);
        };
    }
};

}  // namespace

TEST(GifImage, AddingABitmapGrowsTheScreenWithWarningsInOrder) {
    TGIFImage image;
    image.SetWidth(10);
    image.SetHeight(10);
    Warnings warnings;
    warnings.attach(image);
    const int index = image.Add(indexedImage(20, 20, 16));
    EXPECT_EQ(index, 0);
    EXPECT_EQ(image.GetWidth(), 20);
    EXPECT_EQ(image.GetHeight(), 20);
    EXPECT_EQ(warnings.Messages, (QStringList{"Image width too small for contained frames",
                                              "Image height too small for contained frames",
                                              "Image exceeds Logical Screen size"}));
    EXPECT_EQ(warnings.Senders[0], &image);
    EXPECT_EQ(warnings.Senders[2], image.Images().Frame(0));
    // Shrinking below the frame is refused and changes nothing.
    try {
        image.SetWidth(19);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Image width too small for contained frames");
    }
    EXPECT_THROW(image.SetHeight(5), GIFException);
    EXPECT_EQ(image.GetWidth(), 20);
    EXPECT_EQ(image.GetHeight(), 20);
    try {
        image.Add(static_cast<TGIFSubImage*>(nullptr));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Object type not supported for operation");
    }
}

TEST(GifImage, BitmapConversionKeepsColoursAndPixels) {
    // 8-bit, 1-bit and true-colour bitmaps become frames with local tables.
    const QImage indexed = indexedImage(13, 7, 40);
    TGIFImage a;
    a.Assign(indexed);
    ASSERT_EQ(a.Images().Count(), 1);
    const TGIFSubImage* frame = a.Images().Frame(0);
    EXPECT_EQ(frame->ColorMap.Count, 40);
    for (int y = 0; y < 7; ++y)
        for (int x = 0; x < 13; ++x) EXPECT_EQ(frame->Data[size_t(y * 13 + x)], indexed.pixelIndex(x, y));

    QImage mono(9, 3, QImage::Format_Mono);
    mono.setColorTable({qRgb(0, 0, 0), qRgb(255, 255, 255)});
    for (int y = 0; y < 3; ++y)
        for (int x = 0; x < 9; ++x) mono.setPixel(x, y, (x + y) % 2);
    TGIFImage b;
    b.Assign(mono);
    EXPECT_EQ(b.Images().Frame(0)->ColorMap.Count, 2);
    EXPECT_EQ(b.Images().Frame(0)->Data[1], 1);
    EXPECT_EQ(b.Images().Frame(0)->Data[9], 1);

    QImage rgb(30, 20, QImage::Format_RGB32);
    for (int y = 0; y < 20; ++y)
        for (int x = 0; x < 30; ++x) rgb.setPixel(x, y, qRgb(x * 8, y * 12, (x * y) % 256));
    TGIFImage c;
    c.Assign(rgb);
    const TGIFSubImage* reduced = c.Images().Frame(0);
    EXPECT_LE(reduced->ColorMap.Count, 256);
    EXPECT_GT(reduced->ColorMap.Count, 16);
    // An image of few colours is converted exactly.
    QImage few(8, 8, QImage::Format_RGB32);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) few.setPixel(x, y, x < 4 ? qRgb(200, 10, 10) : qRgb(10, 200, 30));
    TGIFImage d;
    d.Assign(few);
    QImage back;
    d.AssignTo(back);
    for (int y = 0; y < 8; ++y)
        for (int x = 0; x < 8; ++x) EXPECT_EQ(back.pixel(x, y), few.pixel(x, y));

    TGIFImage empty;
    empty.Assign(QImage());
    EXPECT_EQ(empty.Images().Count(), 1);
    EXPECT_TRUE(empty.Images().Frame(0)->Empty());
}

TEST(GifImage, FirstFrameOnTheLogicalScreen) {
    TGIFImage image;
    image.SetWidth(6);
    image.SetHeight(4);
    for (int i = 0; i < 4; ++i) image.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 80), 0, 0));
    addFrame(image, 2, 2, 2, {1, 2, 3, 1}, true, 3, 1);
    addFrame(image, 6, 4, 2, std::vector<uint8_t>(24, 3), true);
    const QImage* bitmap = image.GetBitmap();
    ASSERT_NE(bitmap, nullptr);
    EXPECT_EQ(bitmap->size(), QSize(6, 4));
    EXPECT_EQ(bitmap->pixelIndex(3, 1), 1);
    EXPECT_EQ(bitmap->pixelIndex(4, 1), 2);
    EXPECT_EQ(bitmap->pixelIndex(3, 2), 3);
    EXPECT_EQ(bitmap->pixelIndex(0, 0), 0);  // the second frame never shows
    EXPECT_EQ(bitmap->pixel(4, 1), qRgb(160, 0, 0));
    // A frame that covers the screen gives a copy of its own rendered bitmap.
    TGIFImage full;
    addFrame(full, 5, 3, 3, patternPixels(5, 3, 3));
    QImage copy;
    full.AssignTo(copy);
    EXPECT_EQ(copy, *full.Images().Frame(0)->GetBitmap());
    // A smaller frame with its own colour table shows its own colours, the rest of the screen
    // the global table's first colour.
    TGIFImage local;
    local.SetWidth(6);
    local.SetHeight(4);
    for (int i = 0; i < 4; ++i) local.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 80), 0, 0));
    addFrame(local, 2, 2, 2, {1, 2, 3, 1}, false, 3, 1);
    const QImage* mapped = local.GetBitmap();
    ASSERT_NE(mapped, nullptr);
    for (const auto& [x, y, index] : {std::tuple{3, 1, 1}, {4, 1, 2}, {3, 2, 3}})
        EXPECT_EQ(mapped->pixel(x, y), qRgb(index * 37 + 5, 255 - index * 11, index * 71 % 256)) << x << "," << y;
    EXPECT_EQ(mapped->pixel(0, 0), qRgb(0, 0, 0));
    // An empty image has no bitmap.
    TGIFImage none;
    EXPECT_EQ(none.GetBitmap(), nullptr);
}

TEST(GifImage, ProgressStagesAndTexts) {
    TGIFImage image;
    ProgressLog log;
    log.attach(image);
    image.Assign(indexedImage(10, 70, 4));
    EXPECT_EQ(log.Entries, (QStringList{"start 0 Converting...", "run 0 Converting...", "run 45 Converting...",
                                        "run 91 Converting...", "end 100 Converting..."}));
    log.Entries.clear();
    image.Add(indexedImage(3, 3, 2));
    image.Add(indexedImage(3, 3, 2));
    log.Entries.clear();
    const QByteArray bytes = saveImage(image);
    EXPECT_EQ(log.Entries, (QStringList{"start 0 Saving...", "run 33 Saving...", "run 66 Saving...", "run 100 Saving...",
                                        "end 100 Saving..."}));
    TGIFImage loaded;
    ProgressLog loadLog;
    loadLog.attach(loaded);
    loadImage(loaded, bytes);
    ASSERT_GE(loadLog.Entries.size(), 5);
    EXPECT_EQ(loadLog.Entries.first(), "start 0 Loading...");
    EXPECT_EQ(loadLog.Entries.last(), "end 100 Loading...");
    EXPECT_EQ(loadLog.Entries.filter("run").size(), 3);
    loadLog.Entries.clear();
    loaded.Images().Frame(0)->GetBitmap();
    EXPECT_EQ(loadLog.Entries.first(), "start 0 Rendering...");
    EXPECT_EQ(loadLog.Entries.last(), "end 100 Rendering...");
    // A failed load ends its progress with 0.
    loadLog.Entries.clear();
    EXPECT_THROW(loadImage(loaded, "GIF89a\x01"), GIFException);
    EXPECT_EQ(loadLog.Entries, (QStringList{"start 0 Loading...", "end 0 Loading..."}));

    TGIFImage copy;
    ProgressLog copyLog;
    copyLog.attach(copy);
    image.OnProgress = copy.OnProgress;
    copy.Assign(image);
    EXPECT_EQ(copyLog.Entries.first(), "start 0 Copying...");
    EXPECT_TRUE(copyLog.Entries.contains("run 100 Copying..."));
    EXPECT_EQ(copyLog.Entries.last(), "end 100 Copying...");
    EXPECT_EQ(copy.Images().Count(), 3);
    EXPECT_EQ(copy.Images().Frame(0)->Data, image.Images().Frame(0)->Data);
}

TEST(GifImage, ClipboardOffersGifDataWithABitmap) {
    TGIFImage image;
    addFrame(image, 4, 3, 3, patternPixels(4, 3, 3));
    auto* comment = new TGIFCommentExtension(image.Images().Frame(0));
    comment->Text = {"clipboard"};
    image.Images().Frame(0)->Extensions.Add(comment);
    QMimeData data;
    image.SaveToClipboardFormat(data);
    EXPECT_TRUE(data.hasImage());
    EXPECT_TRUE(data.hasFormat(GIFClipboardMimeType()));
    EXPECT_EQ(GIFClipboardMimeType(), "application/x-qt-windows-mime;value=\"GIF Image\"");
    EXPECT_EQ(data.data(GIFClipboardMimeType()), saveImage(image));
    // The GIF data win over the bitmap: the comment comes back.
    TGIFImage pasted;
    pasted.LoadFromClipboardFormat(data);
    ASSERT_EQ(pasted.Images().Count(), 1);
    EXPECT_EQ(pasted.Images().Frame(0)->Extensions.Count(), 1);
    EXPECT_EQ(pasted.Images().Frame(0)->Data, image.Images().Frame(0)->Data);
    // With a bitmap only, the bitmap is taken.
    QMimeData bitmapOnly;
    bitmapOnly.setImageData(indexedImage(5, 5, 8));
    TGIFImage fromBitmap;
    fromBitmap.LoadFromClipboardFormat(bitmapOnly);
    EXPECT_EQ(fromBitmap.GetWidth(), 5);
    EXPECT_EQ(fromBitmap.Images().Frame(0)->Extensions.Count(), 0);
    // An empty image offers nothing.
    QMimeData nothing;
    TGIFImage empty;
    empty.SaveToClipboardFormat(nothing);
    EXPECT_TRUE(nothing.formats().isEmpty());
}

TEST(GifImage, PaletteFollowsTheTables) {
    TGIFImage image;
    EXPECT_TRUE(image.GetPalette().isEmpty());
    addFrame(image, 2, 1, 1, {0, 1});
    EXPECT_EQ(image.GetPalette(), image.Images().Frame(0)->ColorMap.CreatePaletteHandle());
    image.Header().GlobalColorMap.Add(gifRGB(1, 2, 3));
    EXPECT_EQ(image.GetPalette(), GifPalette{qRgb(1, 2, 3)});
    // Dithering asks for the colour cube.
    TGIFImage dithered;
    dithered.DrawOptions = DrawDither;
    EXPECT_TRUE(dithered.DoDither());
    EXPECT_EQ(dithered.GetPalette().size(), 216);
    EXPECT_FALSE(TGIFImage().DoDither());  // the default dithers only on palette displays
}
