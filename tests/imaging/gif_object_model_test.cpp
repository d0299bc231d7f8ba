// The GIF object tree: helpers, colour tables, header, trailer and frames.
#include "tests/imaging/gif_test_support.h"

#include <QBuffer>

using namespace gif_test;

namespace {

QByteArray written(const std::function<void(QIODevice&)>& write) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    write(out);
    return bytes;
}

}  // namespace

TEST(GifObjectModel, Helpers) {
    EXPECT_EQ(BitsForColors(0), 0);
    EXPECT_EQ(BitsForColors(1), 1);
    EXPECT_EQ(BitsForColors(2), 1);
    EXPECT_EQ(BitsForColors(3), 2);
    EXPECT_EQ(BitsForColors(129), 8);
    EXPECT_EQ(BitsForColors(1000), 8);
    EXPECT_EQ(AlignBits(9, 1, 32), 4);
    EXPECT_EQ(AlignBits(5, 24, 32), 16);
    EXPECT_EQ(AlignBits(3, 8, 32), 4);
    const GifPalette cube = CreateCubePalette();
    ASSERT_EQ(cube.size(), 216);
    EXPECT_EQ(cube[2 * 36 + 3 * 6 + 5], qRgb(102, 153, 255));

    QByteArray empty;
    QBuffer in(&empty);
    in.open(QIODevice::ReadOnly);
    char buffer[4];
    try {
        ReadCheck(in, buffer, 4);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Premature end of data");
    }
}

TEST(GifObjectModel, StringsAsSubBlocks) {
    const QByteArray line(300, 'x');
    const QByteArray bytes = written([&](QIODevice& s) { WriteStrings(s, {line, QByteArray(), "ab"}); });
    ASSERT_EQ(bytes.size(), 1 + 255 + 1 + 45 + 1 + 2 + 1);
    EXPECT_EQ(uint8_t(bytes[0]), 255);
    EXPECT_EQ(uint8_t(bytes[256]), 45);
    EXPECT_EQ(bytes.back(), '\0');
    QByteArray copy = bytes;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    QList<QByteArray> lines{"old"};
    ReadStrings(in, lines);
    EXPECT_EQ(lines, (QList<QByteArray>{QByteArray(255, 'x'), QByteArray(45, 'x'), "ab"}));
    EXPECT_TRUE(in.atEnd());
}

TEST(GifObjectModel, ColourTableGrowthPaddingAndSearch) {
    TGIFImage image;
    TGIFColorMap& map = image.Header().GlobalColorMap;
    for (auto [required, capacity] : {std::pair{1, 16}, {16, 16}, {17, 32}, {33, 64}, {250, 256}, {300, 256}}) {
        map.Clear();
        map.Grow(required);
        EXPECT_EQ(map.Capacity, capacity) << required;
        EXPECT_EQ(map.Entries.size(), size_t(capacity) * 3);
    }
    map.Clear();
    for (auto [count, expected] : {std::pair{0, 0}, {1, 2}, {3, 4}, {129, 256}}) {
        map.Clear();
        for (int i = 0; i < count; ++i) map.Add(gifRGB(uint8_t(i), uint8_t(i >> 8), 9));
        const QByteArray out = written([&](QIODevice& s) { map.SaveToStream(s); });
        EXPECT_EQ(out.size(), expected * 3) << count;
        if (count == 1) {
            EXPECT_EQ(out, QByteArray::fromHex("000009000000"));
        }
    }
    map.Clear();
    EXPECT_EQ(map.Add(gifRGB(1, 2, 3)), 0);
    EXPECT_EQ(map.Add(gifRGB(4, 5, 6)), 1);
    map.IsSorted = true;
    EXPECT_EQ(map.Add(gifRGB(1, 2, 3)), 0);
    EXPECT_TRUE(map.IsSorted);
    EXPECT_EQ(map.Add(gifRGB(7, 8, 9)), 2);
    EXPECT_FALSE(map.IsSorted);
    // Duplicates: the last one unsorted, the first one sorted.
    map.Entries[2 * 3 + 0] = 1;
    map.Entries[2 * 3 + 1] = 2;
    map.Entries[2 * 3 + 2] = 3;
    EXPECT_EQ(map.IndexOf(gifRGB(1, 2, 3)), 2);
    map.IsSorted = true;
    EXPECT_EQ(map.IndexOf(gifRGB(1, 2, 3)), 0);
    EXPECT_EQ(map.IndexOf(gifRGB(9, 9, 9)), -1);
}

TEST(GifObjectModel, ColourTableOverflowAndBadIndex) {
    TGIFImage image;
    Warnings warnings;
    warnings.attach(image);
    TGIFColorMap& map = image.Header().GlobalColorMap;
    for (int i = 0; i < 256; ++i) map.Add(gifRGB(uint8_t(i), 0, 0));
    try {
        map.Add(gifRGB(0, 1, 0));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Color table overflow");
    }
    EXPECT_EQ(map.Count, 256);
    EXPECT_EQ(map.GetColor(256), 0u);
    EXPECT_EQ(map.GetColor(-1), 0u);
    EXPECT_EQ(warnings.Messages, (QStringList{"Invalid color index", "Invalid color index"}));
    EXPECT_EQ(warnings.Senders.front(), &map);
}

TEST(GifObjectModel, ReorderByUse) {
    TGIFImage image;
    const std::vector<uint8_t> pixels{2, 2, 2, 0, 2, 0, 1, 2};
    TGIFSubImage* frame = addFrame(image, 4, 2, 2, pixels);
    ASSERT_EQ(frame->ColorMap.Count, 4);
    const GifColor c0 = frame->ColorMap.GetColor(0), c1 = frame->ColorMap.GetColor(1), c2 = frame->ColorMap.GetColor(2);
    auto* control = new TGIFGraphicControlExtension(frame);
    frame->Extensions.Add(control);
    control->SetTransparent(true);
    control->SetTransparentColorIndex(1);
    EXPECT_TRUE(frame->ColorMap.SortByUse());
    EXPECT_TRUE(frame->ColorMap.IsSorted);
    EXPECT_EQ(frame->Data, (std::vector<uint8_t>{0, 0, 0, 1, 0, 1, 2, 0}));
    EXPECT_EQ(frame->ColorMap.GetColor(0), c2);
    EXPECT_EQ(frame->ColorMap.GetColor(1), c0);
    EXPECT_EQ(frame->ColorMap.GetColor(2), c1);
    EXPECT_EQ(frame->ColorMap.Count, 3);  // the unused fourth colour is cut
    EXPECT_EQ(control->GetTransparentColorIndex(), 2);

    // Already in order of use: sorted flag only, nothing truncated.
    TGIFImage second;
    const std::vector<uint8_t> inOrder{0, 0, 0, 0, 1, 1, 1, 2, 2, 3};
    TGIFSubImage* ordered = addFrame(second, 5, 2, 2, inOrder);
    const std::vector<uint8_t> before = ordered->ColorMap.Entries;
    EXPECT_TRUE(ordered->ColorMap.SortByUse());
    EXPECT_TRUE(ordered->ColorMap.IsSorted);
    EXPECT_EQ(ordered->ColorMap.Count, 4);
    EXPECT_EQ(ordered->ColorMap.Entries, before);
    EXPECT_EQ(ordered->Data, inOrder);
}

TEST(GifObjectModel, HeaderReadsAndWrites) {
    TGIFImage image;
    Warnings warnings;
    warnings.attach(image);
    // Lower-case signature and any version are accepted; 256 global colours for size bits 7.
    QByteArray bytes = QByteArray("gif99z") + QByteArray::fromHex("0a001400" "f7" "05" "00");
    for (int i = 0; i < 256; ++i) bytes += QByteArray::fromHex("010203");
    bytes += ";";
    loadImage(image, bytes);
    EXPECT_EQ(image.GetWidth(), 10);
    EXPECT_EQ(image.GetHeight(), 20);
    EXPECT_EQ(image.Header().GlobalColorMap.Count, 256);
    EXPECT_FALSE(image.Header().GlobalColorMap.IsSorted);
    EXPECT_EQ(image.Header().ScreenDescriptor.BackgroundColorIndex, 5);
    EXPECT_TRUE(warnings.Messages.isEmpty());

    QByteArray two = QByteArray("GIF89a") + QByteArray::fromHex("01000100" "80" "00" "00" "ffffff000000") + ";";
    loadImage(image, two);
    EXPECT_EQ(image.Header().GlobalColorMap.Count, 2);
    EXPECT_EQ(image.Header().GetVersion(), 1);
    image.Header().ScreenDescriptor.AspectRatio = 49;
    EXPECT_EQ(image.Header().GetVersion(), 2);

    TGIFImage bad;
    try {
        loadImage(bad, QByteArray("JIF89a") + QByteArray(7, '\0'));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Invalid GIF signature");
    }
    try {
        loadImage(bad, QByteArray("GIF89a") + QByteArray(3, '\0'));
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Premature end of data");
    }
}

TEST(GifObjectModel, TrailerAndBlockWarnings) {
    TGIFImage image;
    Warnings warnings;
    warnings.attach(image);
    addFrame(image, 2, 2, 1, {0, 1, 1, 0});
    QByteArray bytes = saveImage(image);
    ASSERT_EQ(bytes.back(), ';');
    // Zero bytes between blocks are skipped; no warnings.
    QByteArray padded = bytes;
    padded.insert(padded.size() - 1, QByteArray(3, '\0'));
    TGIFImage a;
    Warnings wa;
    wa.attach(a);
    loadImage(a, padded);
    EXPECT_EQ(a.Images().Count(), 1);
    EXPECT_TRUE(wa.Messages.isEmpty());
    // An unknown block after the first frame: two warnings, the frame stays.
    QByteArray junk = bytes;
    junk[junk.size() - 1] = char(0x99);
    TGIFImage b;
    Warnings wb;
    wb.attach(b);
    loadImage(b, junk);
    EXPECT_EQ(b.Images().Count(), 1);
    EXPECT_EQ(wb.Messages, (QStringList{"Unknown GIF block type", "Invalid Image trailer"}));
    // A stream ending right after the frame: no trailer warning.
    TGIFImage c;
    Warnings wc;
    wc.attach(c);
    loadImage(c, bytes.left(bytes.size() - 1));
    EXPECT_EQ(c.Images().Count(), 1);
    EXPECT_TRUE(wc.Messages.isEmpty());
}

TEST(GifObjectModel, FrameVersionPrepareAndClear) {
    TGIFImage image;
    TGIFSubImage* frame = addFrame(image, 3, 2, 2, {0, 1, 2, 3, 0, 1}, false, 4, 5);
    EXPECT_EQ(frame->GetVersion(), 1);
    EXPECT_EQ(image.GetVersion(), 1);
    EXPECT_TRUE(saveImage(image).startsWith("GIF87a"));
    frame->Extensions.Add(new TGIFCommentExtension(frame));
    EXPECT_EQ(frame->GetVersion(), 2);
    EXPECT_TRUE(saveImage(image).startsWith("GIF89a"));
    // A frame with a local table is written non-interlaced.
    frame->SetInterlaced(true);
    frame->Prepare();
    EXPECT_EQ(frame->ImageDescriptor.PackedFields, 0x81);
    frame->Clear();
    EXPECT_EQ(frame->Left(), 4);
    EXPECT_EQ(frame->Top(), 5);
    EXPECT_EQ(frame->Width(), 0);
    EXPECT_TRUE(frame->Empty());
    EXPECT_EQ(frame->Extensions.Count(), 0);

    TGIFImage none;
    try {
        saveImage(none);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Unsupported GIF version");
    }
}

TEST(GifObjectModel, ExtensionOnlyFrameAndZeroSizedFrame) {
    TGIFImage image;
    image.Header().ScreenDescriptor.ScreenWidth = 3;
    image.Header().ScreenDescriptor.ScreenHeight = 2;
    for (int i = 0; i < 4; ++i) image.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 60), 0, 0));
    TGIFSubImage* onlyText = addFrame(image, 0, 0, 2, {}, true);
    auto* comment = new TGIFCommentExtension(onlyText);
    comment->Text = {"just a note"};
    onlyText->Extensions.Add(comment);
    const QByteArray bytes = saveImage(image);
    TGIFImage back;
    loadImage(back, bytes);
    ASSERT_EQ(back.Images().Count(), 1);
    EXPECT_TRUE(back.Images().Frame(0)->Empty());
    ASSERT_EQ(back.Images().Frame(0)->Extensions.Count(), 1);
    EXPECT_EQ(static_cast<TGIFCommentExtension*>(back.Images().Frame(0)->Extensions.GetItem(0))->Text,
              QList<QByteArray>{"just a note"});

    // A descriptor of width 0 takes the logical screen's size with a warning.
    QByteArray zero = QByteArray("GIF89a") + QByteArray::fromHex("03000200" "81" "00" "00") +
                      QByteArray::fromHex("000000ffffff0000000000ff") +
                      QByteArray::fromHex("2c" "00000000" "0000" "0000" "00") + QByteArray::fromHex("02" "01" "44" "00") + ";";
    TGIFImage z;
    Warnings warnings;
    warnings.attach(z);
    loadImage(z, zero);
    ASSERT_EQ(z.Images().Count(), 1);
    EXPECT_EQ(z.Images().Frame(0)->Width(), 3);
    EXPECT_EQ(z.Images().Frame(0)->Height(), 2);
    EXPECT_TRUE(warnings.Messages.contains("Image exceeds Logical Screen size"));
}

TEST(GifObjectModel, HugeFramesAreRefusedNotAllocated) {
    // A 65535 x 65535 frame is beyond what the codec allocates.
    QByteArray bytes = QByteArray("GIF89a") + QByteArray::fromHex("ffffffff" "80" "00" "00" "000000ffffff") +
                       QByteArray::fromHex("2c" "00000000" "ffff" "ffff" "00") + QByteArray::fromHex("02" "01" "44" "00") + ";";
    TGIFImage image;
    EXPECT_THROW(loadImage(image, bytes), GIFException);
    EXPECT_EQ(image.Images().Count(), 0);
}
