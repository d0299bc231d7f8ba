// LZW coding of GIF frames: encoder output layout, decoder edge cases, and round trips.
#include "tests/imaging/gif_test_support.h"

#include "imaging/formats/gif_hash_table.h"

#include <QBuffer>

using namespace gif_test;

namespace {

// Encodes a lone frame and returns the table-based image data.
QByteArray encodeFrame(TGIFSubImage& frame) {
    QByteArray bytes;
    QBuffer out(&bytes);
    out.open(QIODevice::WriteOnly);
    frame.Encode(out);
    return bytes;
}

// Decodes table-based image data into a frame of the given size.
void decodeInto(TGIFSubImage& frame, const QByteArray& data, int width, int height, bool interlaced = false) {
    frame.SetWidth(width);
    frame.SetHeight(height);
    frame.SetInterlaced(interlaced);
    QByteArray copy = data;
    QBuffer in(&copy);
    in.open(QIODevice::ReadOnly);
    frame.Decode(in);
}

// Packs codes of the given sizes least significant bit first into one or more sub-blocks.
QByteArray packCodes(int minimumCodeSize, const std::vector<std::pair<int, int>>& codes, bool terminator = true) {
    QByteArray packed;
    uint32_t acc = 0;
    int bits = 0;
    for (auto [code, size] : codes) {
        acc |= uint32_t(code) << bits;
        bits += size;
        while (bits >= 8) {
            packed.append(char(acc & 0xFF));
            acc >>= 8;
            bits -= 8;
        }
    }
    if (bits > 0) packed.append(char(acc & 0xFF));
    QByteArray data;
    data.append(char(minimumCodeSize));
    for (qsizetype at = 0; at < packed.size(); at += 255) {
        const qsizetype n = std::min<qsizetype>(255, packed.size() - at);
        data.append(char(n));
        data.append(packed.mid(at, n));
    }
    if (terminator) data.append('\0');
    return data;
}

}  // namespace

TEST(GifLzw, HashTableProbesAndLookups) {
    EXPECT_EQ(THashTable::NextProbe(0), 8008);
    EXPECT_EQ(THashTable::NextProbe(1), 2);
    EXPECT_EQ(THashTable::NextProbe(5000), (2 * 5000) % 8009);
    EXPECT_EQ(THashTable::HashKey(0x12345), int((0x12345u ^ (0x12345u >> 4)) % 8009));
    THashTable table;
    EXPECT_EQ(table.Lookup(0x1234), -1);
    // Keys that collide still keep their own codes.
    for (uint32_t key = 0; key < 4000; ++key) table.Insert(key * 8009u % 0xFFFFF, int(key % 4096));
    for (uint32_t key = 0; key < 4000; ++key) EXPECT_EQ(table.Lookup(key * 8009u % 0xFFFFF), int(key % 4096));
    table.Clear();
    EXPECT_EQ(table.Lookup(8009), -1);
}

TEST(GifLzw, MinimumCodeSizeFollowsTheColourTable) {
    TGIFImage image;
    for (auto [colours, minimum, firstCodeBits] : {std::tuple{2, 2, 3}, {16, 4, 5}, {256, 8, 9}}) {
        TGIFSubImage frame(&image);
        frame.SetWidth(1);
        frame.SetHeight(1);
        frame.NewImage();
        for (int i = 0; i < colours; ++i) frame.ColorMap.Add(gifRGB(uint8_t(i), 0, 0));
        const QByteArray data = encodeFrame(frame);
        EXPECT_EQ(uint8_t(data[0]), minimum) << colours;
        // First code: the clear code 2^minimum, written with firstCodeBits bits.
        const uint32_t firstBits = uint8_t(data[2]) | (uint32_t(uint8_t(data[3])) << 8);
        EXPECT_EQ(firstBits & ((1u << firstCodeBits) - 1), 1u << minimum) << colours;
    }
}

TEST(GifLzw, EmptyFrameWritesClearEndAndTerminator) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    frame.ColorMap.Add(0);
    frame.ColorMap.Add(0xFFFFFF);
    const QByteArray data = encodeFrame(frame);
    // Code size 2: clear (4) and end (5) in 3 bits each: 0b101100 = 0x2C in one sub-block.
    EXPECT_EQ(data, QByteArray::fromHex("0201" "2c" "00"));
}

TEST(GifLzw, LongDataUsesSubBlocksOf254Bytes) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    frame.SetWidth(300);
    frame.SetHeight(100);
    frame.NewImage();
    unsigned seed = 1;
    for (auto& p : frame.Data) {
        seed = seed * 1103515245u + 12345u;
        p = uint8_t(seed >> 16);
    }
    for (int i = 0; i < 256; ++i) frame.ColorMap.Add(gifRGB(uint8_t(i), uint8_t(i), 1));
    const QByteArray data = encodeFrame(frame);
    qsizetype at = 1;
    int blocks = 0;
    for (;;) {
        const int n = uint8_t(data[at]);
        if (n == 0) break;
        ++blocks;
        const bool last = uint8_t(data[at + 1 + n]) == 0;
        if (!last) {
            EXPECT_EQ(n, 254) << "block " << blocks;
        }
        EXPECT_LT(n, 255);
        at += 1 + n;
    }
    EXPECT_GT(blocks, 10);
    EXPECT_EQ(at, data.size() - 1);
    TGIFSubImage back(&image);
    decodeInto(back, data, 300, 100);
    EXPECT_EQ(back.Data, frame.Data);
}

TEST(GifLzw, TableFullTriggersClearAt12BitsAndDecodesBack) {
    // Random 8-bit data fills the 4096-entry table many times over.
    TGIFImage image;
    TGIFSubImage frame(&image);
    frame.SetWidth(512);
    frame.SetHeight(200);
    frame.NewImage();
    unsigned seed = 99;
    for (auto& p : frame.Data) {
        seed = seed * 22695477u + 1u;
        p = uint8_t((seed >> 16) % 200);
    }
    for (int i = 0; i < 256; ++i) frame.ColorMap.Add(gifRGB(uint8_t(i), 3, 4));
    const QByteArray data = encodeFrame(frame);
    TGIFSubImage back(&image);
    decodeInto(back, data, 512, 200);
    EXPECT_EQ(back.Data, frame.Data);
}

TEST(GifLzw, RoundTripEveryBitDepthPlainAndInterlaced) {
    for (int bits = 1; bits <= 8; ++bits)
        for (bool interlaced : {false, true})
            for (auto [w, h] : {std::pair{37, 23}, {1, 1}, {5, 2}, {3, 3}, {8, 4}, {2, 5}, {13, 8}}) {
                TGIFImage image;
                image.Header().ScreenDescriptor.ScreenWidth = uint16_t(w);
                image.Header().ScreenDescriptor.ScreenHeight = uint16_t(h);
                const auto pixels = patternPixels(w, h, bits, unsigned(bits * 31 + w));
                // Interlacing is kept only by frames that use the global table.
                TGIFSubImage* frame = addFrame(image, w, h, bits, pixels, interlaced);
                frame->SetInterlaced(interlaced);
                const QByteArray bytes = saveImage(image);
                TGIFImage back;
                Warnings warnings;
                warnings.attach(back);
                loadImage(back, bytes);
                ASSERT_EQ(back.Images().Count(), 1);
                const TGIFSubImage* loaded = back.Images().Frame(0);
                EXPECT_EQ(loaded->Interlaced(), interlaced);
                EXPECT_EQ(loaded->Data, pixels) << "bits " << bits << " interlaced " << interlaced << " " << w << "x" << h;
                EXPECT_TRUE(warnings.Messages.isEmpty()) << warnings.Messages.join("; ").toStdString();
            }
}

TEST(GifLzw, InterlacedRowOrder) {
    // Rows numbered by value; the encoder writes them in pass order, which the raw codes show.
    for (auto [height, order] : {std::pair{2, std::vector<int>{0, 1}},
                                 {4, std::vector<int>{0, 2, 1, 3}},
                                 {5, std::vector<int>{0, 4, 2, 1, 3}},
                                 {3, std::vector<int>{0, 2, 1}},
                                 {8, std::vector<int>{0, 4, 2, 6, 1, 3, 5, 7}}}) {
        TGIFImage image;
        for (int i = 0; i < 16; ++i) image.Header().GlobalColorMap.Add(gifRGB(uint8_t(i), 0, 0));
        TGIFSubImage frame(&image);
        frame.SetWidth(1);
        frame.SetHeight(height);
        frame.SetInterlaced(true);
        frame.NewImage();
        for (int r = 0; r < height; ++r) frame.Data[size_t(r)] = uint8_t(r);
        const QByteArray data = encodeFrame(frame);
        // Decoding the same data as a non-interlaced frame shows the order rows were written in.
        TGIFSubImage flat(&image);
        decodeInto(flat, data, 1, height, false);
        EXPECT_EQ(std::vector<int>(flat.Data.begin(), flat.Data.end()), order) << height;
        TGIFSubImage back(&image);
        decodeInto(back, data, 1, height, true);
        EXPECT_EQ(back.Data, frame.Data) << height;
    }
}

TEST(GifLzw, DecoderStartsWithoutClearCodeAndHandlesKwKwK) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    // Code size 2: clear 4, end 5, first free 6. Codes: 1, 6 (= "1 1", the code not yet in the
    // table), 7 ("1 1 1"? no: 7 = 6 + first char = "1 1 1"), end. Without a leading clear code.
    const QByteArray data = packCodes(2, {{1, 3}, {6, 3}, {7, 3}, {5, 4}});
    decodeInto(frame, data, 6, 1);
    EXPECT_EQ(frame.Data, (std::vector<uint8_t>{1, 1, 1, 1, 1, 1}));
}

TEST(GifLzw, CodeAboveNextFreeIsTakenLikeTheNextFreeCode) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    // Code 9 is far beyond the next free code 6: decoded as old string + its first character.
    const QByteArray data = packCodes(2, {{4, 3}, {2, 3}, {3, 3}, {5, 3}});
    decodeInto(frame, data, 2, 1);
    EXPECT_EQ(frame.Data, (std::vector<uint8_t>{2, 3}));
    TGIFSubImage odd(&image);
    const QByteArray odder = packCodes(2, {{4, 3}, {2, 3}, {7, 3}, {5, 4}});
    decodeInto(odd, odder, 3, 1);
    EXPECT_EQ(odd.Data, (std::vector<uint8_t>{2, 2, 2}));
}

TEST(GifLzw, ExtraSubBlocksAfterEndCodeAreSkipped) {
    TGIFImage image;
    TGIFSubImage frame(&image);
    QByteArray data = packCodes(2, {{4, 3}, {1, 3}, {5, 3}}, false);
    data.append(QByteArray::fromHex("03aabbcc" "02dddd" "00" "3b"));
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    frame.SetWidth(1);
    frame.SetHeight(1);
    frame.Decode(in);
    EXPECT_EQ(frame.Data, std::vector<uint8_t>{1});
    char next;
    ASSERT_TRUE(in.getChar(&next));
    EXPECT_EQ(next, ';');
}

TEST(GifLzw, ShortDataLeavesZerosAndWarns) {
    TGIFImage image;
    Warnings warnings;
    warnings.attach(image);
    // Sub-block claims 10 bytes; only 2 are there.
    TGIFSubImage frame(&image);
    QByteArray data = QByteArray::fromHex("02" "0a" "4c01");
    QBuffer in(&data);
    in.open(QIODevice::ReadOnly);
    frame.SetWidth(4);
    frame.SetHeight(4);
    frame.Decode(in);
    // Only the row the data reached is held; the others are 0 when the pixels are wanted whole.
    EXPECT_EQ(frame.Data.size(), 4u);
    frame.FillPixels();
    ASSERT_EQ(frame.Data.size(), 16u);
    EXPECT_EQ(frame.Data[0], 1);
    EXPECT_EQ(std::count(frame.Data.begin(), frame.Data.end(), 0), 15);
    EXPECT_EQ(warnings.Messages, QStringList{"Premature end of data"});
    // Data cut right after the terminator: the missing pixels are 0 with an under-run warning.
    Warnings second;
    second.attach(image);
    TGIFSubImage cut(&image);
    decodeInto(cut, packCodes(2, {{4, 3}, {3, 3}, {3, 3}}), 5, 1);
    EXPECT_EQ(cut.Data, (std::vector<uint8_t>{3, 3, 0, 0, 0}));
    EXPECT_TRUE(second.Messages.contains("Decoder bit buffer under-run"));
    // A stream that stops without a terminator ends quietly.
    Warnings third;
    third.attach(image);
    TGIFSubImage open(&image);
    decodeInto(open, packCodes(2, {{4, 3}, {2, 3}}, false), 3, 1);
    EXPECT_EQ(open.Data, (std::vector<uint8_t>{2, 0, 0}));
    EXPECT_TRUE(third.Messages.isEmpty());
}

TEST(GifLzw, DamagedDataEndsDecodingWithAnError) {
    TGIFImage image;
    // A data size that puts the clear code beyond the tables.
    TGIFSubImage big(&image);
    EXPECT_THROW(decodeInto(big, QByteArray::fromHex("0c0100" "00"), 2, 2), GIFException);
    // A code beyond the next free code becomes its own prefix; using it again is refused, and the
    // pixels decoded before stay.
    TGIFSubImage circular(&image);
    try {
        decodeInto(circular, packCodes(2, {{4, 3}, {2, 3}, {7, 3}, {6, 3}, {7, 4}}), 10, 1);
        ADD_FAILURE() << "no error";
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Circular decoder table entry");
    }
    EXPECT_EQ(circular.Data, (std::vector<uint8_t>{2, 2, 2, 2, 2, 0, 0, 0, 0, 0}));
    // Wild codes far beyond the table decode or fail with the codec's error, never otherwise.
    TGIFSubImage wild(&image);
    std::vector<std::pair<int, int>> codes{{256, 9}};
    for (int i = 0; i < 600; ++i) codes.push_back({500 - (i % 7), 9 + (i > 250 ? 1 : 0)});
    try {
        decodeInto(wild, packCodes(8, codes), 64, 64);
    } catch (const GIFException&) {
    }
    EXPECT_EQ(wild.DataSize, 64 * 64);
    EXPECT_LE(wild.Data.size(), 64u * 64u);
}

TEST(GifLzw, OutOfRangePixelsStillRoundTrip) {
    // Pixels beyond a 2-entry table (as kept from a damaged file) widen the code size on writing.
    TGIFImage image;
    TGIFSubImage frame(&image);
    frame.SetWidth(4);
    frame.SetHeight(1);
    frame.NewImage();
    frame.Data = {0, 1, 7, 200};
    frame.ColorMap.Add(0);
    frame.ColorMap.Add(0xFFFFFF);
    const QByteArray data = encodeFrame(frame);
    TGIFSubImage back(&image);
    decodeInto(back, data, 4, 1);
    EXPECT_EQ(back.Data, frame.Data);
}
