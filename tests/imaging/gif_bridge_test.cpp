// GIF through the format registry: files written by the codec and by an independent writer
// (Pillow) load with the same pixels, the codec's files decode in Pillow, animated GIFs give
// their first frame, graphics save as GIF, and damaged files fail cleanly.
#include "tests/imaging/gif_test_support.h"
#include "tests/imaging/imaging_test_support.h"

#include "imaging/formats/gif_bridge.h"
#include "imaging/formats/gif_registry_reader.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

using namespace gif_test;

namespace {

void initGif() {
    imaging_test::initLibrary();
    RegisterGIFFileFormat();
    RegisterGifReader();
}

// The colour of every pixel, row by row.
std::vector<TColor> colours(const TPixelGraphic& g) {
    std::vector<TColor> out;
    for (int y = 0; y < g.GetHeight(); ++y)
        for (int x = 0; x < g.GetWidth(); ++x) out.push_back(g.GetPixelColor(x, y));
    return out;
}

// Raw RGB bytes (as Pillow writes them) as colours.
std::vector<TColor> coloursFromRgb(const QByteArray& rgb) {
    std::vector<TColor> out;
    for (qsizetype i = 0; i + 2 < rgb.size(); i += 3)
        out.push_back(pgRGB(uint8_t(rgb[i]), uint8_t(rgb[i + 1]), uint8_t(rgb[i + 2])));
    return out;
}

// The colours a frame's indices stand for (black beyond the table).
std::vector<TColor> frameColours(TGIFImage& image, int frameIndex) {
    TGIFSubImage* frame = image.Images().Frame(frameIndex);
    TGIFColorMap& map = frame->ActiveColorMap();
    std::vector<TColor> out;
    for (uint8_t index : frame->Data) out.push_back(index < map.Count ? map.GetColor(index) : 0);
    return out;
}

void loadGraphic(TPixelGraphic& graphic, const QByteArray& bytes, int index = 0) {
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    graphic.LoadFromStreamExt(stream, QStringLiteral("gif"), index);
}

void readWithRegistryReader(TPixelGraphic& graphic, const QByteArray& bytes, int index = 0) {
    QByteArray copy = bytes;
    QBuffer stream(&copy);
    stream.open(QIODevice::ReadOnly);
    tGifFileFormatReader reader;
    reader.Read(stream, graphic, index);
}

// The files that Pillow writes, each with the RGB of its first frame as Pillow's source had it.
const char* PillowWriter = R"PY(
import sys, os, random
from PIL import Image
out = sys.argv[1]
random.seed(4)
def palette(n):
    p = []
    for i in range(n):
        p += [(i * 53) % 256, (i * 101 + 7) % 256, (255 - i * 29) % 256]
    return p + [0] * (768 - len(p))
def write(name, im, source, **kw):
    im.save(os.path.join(out, name + ".gif"), "GIF", **kw)
    open(os.path.join(out, name + ".rgb"), "wb").write(source.convert("RGB").tobytes())
for bits, w, h in [(8, 23, 17), (4, 31, 9), (2, 5, 40), (6, 64, 48)]:
    im = Image.new("P", (w, h))
    im.putpalette(palette(1 << bits))
    im.putdata([random.randrange(1 << bits) if (x // 5) % 2 else (x // 3) % (1 << bits) for x in range(w * h)])
    write("p%d" % bits, im, im, interlace=False)
    write("p%d_interlaced" % bits, im, im, interlace=True)
    write("p%d_transparent" % bits, im, im, transparency=1, interlace=False)
mono = Image.new("1", (19, 11))
mono.putdata([((x * 7) % 5 < 2) * 255 for x in range(19 * 11)])
write("mono", mono, mono)
grey = Image.new("L", (16, 16))
grey.putdata([x % 256 for x in range(256)])
write("grey", grey, grey)
frames = []
for k in range(3):
    f = Image.new("P", (12, 10))
    f.putpalette(palette(8))
    f.putdata([(x + k * 3) % 8 for x in range(120)])
    frames.append(f)
write("animated", frames[0], frames[0], save_all=True, append_images=frames[1:], loop=0, duration=[40, 80, 120])
)PY";

// Decodes every GIF named on the command line with Pillow and writes the RGB of its first frame.
const char* PillowReader = R"PY(
import sys
from PIL import Image
for path in sys.argv[1:]:
    im = Image.open(path)
    im.seek(0)
    open(path + ".pil", "wb").write(im.convert("RGB").tobytes())
    print(path, im.size, im.info.get("interlace", 0))
)PY";

bool havePillow() {
    QString output;
    return runPython(QStringLiteral("import PIL"), {}, output);
}

}  // namespace

TEST(GifBridge, ProbeIndexAndInfo) {
    initGif();
    TGIFFileFormatReader reader;
    EXPECT_EQ(reader.Extension, "gif");
    EXPECT_EQ(reader.Description, "GIF-Format");
    uint8_t probe[17] = {'F', 'I', 'G'};
    EXPECT_TRUE(reader.IsFormat(probe));
    uint8_t lower[17] = {'g', 'i', 'f'};
    EXPECT_FALSE(reader.IsFormat(lower));
    TGIFFileFormatWriter writer;
    EXPECT_EQ(writer.CanWriteResolutions, ResolutionBit(Resolution256Colors));

    // The bridge comes before the registry's own GIF reader.
    QByteArray gifBytes;
    {
        TGIFImage image;
        addFrame(image, 6, 5, 3, patternPixels(6, 5, 3));
        gifBytes = saveImage(image);
    }
    QBuffer stream(&gifBytes);
    stream.open(QIODevice::ReadOnly);
    TFileFormatReader* found = FindFileFormatReader(stream, QString());
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->ClassName(), "TGIFFileFormatReader");

    TPixelGraphic first, second;
    loadGraphic(first, gifBytes, 0);
    loadGraphic(second, gifBytes, 1);
    EXPECT_EQ(colours(first), colours(second));
    TPixelGraphic third;
    try {
        loadGraphic(third, gifBytes, 2);
        ADD_FAILURE();
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "Index > 1");
    }

    QString description;
    TPGGraphicInfo info;
    stream.seek(0);
    ASSERT_TRUE(GetStreamGraphicInfo(stream, "gif", 0, description, info));
    EXPECT_EQ(description, "GIF-Format");
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_EQ(info.BitCount, 8);
    EXPECT_EQ(info.ColorsText, "256");
    EXPECT_EQ(info.Width, 6);
    EXPECT_EQ(info.Height, 5);
}

TEST(GifBridge, CodecFilesLoadPixelForPixel) {
    initGif();
    for (int bits = 1; bits <= 8; ++bits)
        for (bool transparent : {false, true})
            for (bool interlaced : {false, true}) {
                const int w = 17 + bits, h = 9 + 2 * bits;
                TGIFImage image;
                image.SetWidth(w);
                image.SetHeight(h);
                TGIFSubImage* frame = addFrame(image, w, h, bits, patternPixels(w, h, bits, unsigned(bits)), interlaced);
                frame->SetInterlaced(interlaced);
                if (transparent) {
                    auto* control = new TGIFGraphicControlExtension(frame);
                    frame->Extensions.Add(control);
                    control->SetTransparent(true);
                    control->SetTransparentColorIndex((1 << bits) - 1);
                }
                const QByteArray bytes = saveImage(image);
                EXPECT_TRUE(bytes.startsWith(transparent ? "GIF89a" : "GIF87a"));
                const std::vector<TColor> expected = frameColours(image, 0);
                TPixelGraphic viaBridge;
                loadGraphic(viaBridge, bytes);
                ASSERT_EQ(viaBridge.GetWidth(), w);
                ASSERT_EQ(viaBridge.GetHeight(), h);
                EXPECT_EQ(colours(viaBridge), expected) << bits << " " << transparent << " " << interlaced;
                TPixelGraphic viaReader;
                readWithRegistryReader(viaReader, bytes);
                EXPECT_EQ(colours(viaReader), expected) << bits << " " << transparent << " " << interlaced;
                TGIFImage back;
                loadImage(back, bytes);
                EXPECT_EQ(back.Images().Frame(0)->Data, frame->Data);
                EXPECT_EQ(back.Images().Frame(0)->Transparent, transparent);
            }
}

TEST(GifBridge, PillowFilesLoadWithTheSamePixels) {
    initGif();
    if (!havePillow()) GTEST_SKIP() << "/usr/bin/python3 with Pillow is not available";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QString output;
    ASSERT_TRUE(runPython(QString::fromUtf8(PillowWriter), {dir.path()}, output)) << output.toStdString();
    const QStringList names = QDir(dir.path()).entryList({"*.gif"}, QDir::Files, QDir::Name);
    ASSERT_EQ(names.size(), 15);
    for (const QString& name : names) {
        const QString path = dir.filePath(name);
        const std::vector<TColor> expected = coloursFromRgb(imaging_test::readFile(path.chopped(4) + ".rgb"));
        TPixelGraphic graphic;
        graphic.LoadFromFile(path);
        EXPECT_EQ(colours(graphic), expected) << name.toStdString();
        TPixelGraphic direct;
        readWithRegistryReader(direct, imaging_test::readFile(path));
        EXPECT_EQ(colours(direct), expected) << name.toStdString();
    }
    // The animated file: three frames with their delays and the loop extension; the graphic is
    // the first frame.
    TGIFImage animated;
    animated.LoadFromFile(dir.filePath("animated.gif"));
    EXPECT_EQ(animated.Images().Count(), 3);
    bool loopSeen = false;
    for (int i = 0; i < animated.Images().Frame(0)->Extensions.Count(); ++i)
        if (auto* loop = dynamic_cast<TGIFAppExtNSLoop*>(animated.Images().Frame(0)->Extensions.GetItem(i))) {
            loopSeen = true;
            EXPECT_EQ(loop->Loops, 0);
        }
    EXPECT_TRUE(loopSeen);
    ASSERT_NE(animated.Images().Frame(1)->GraphicControlExtension, nullptr);
    EXPECT_EQ(animated.Images().Frame(1)->GraphicControlExtension->GetDelay(), 8);
    TPGGraphicInfo info;
    QString description;
    ASSERT_TRUE(GetGraphicFileInfo(dir.filePath("animated.gif"), 0, description, info));
    EXPECT_EQ(info.ImageCount, 1);
    EXPECT_EQ(info.BitCount, 8);
    // The registry's own reader reaches the later frames.
    tGifFileFormatReader own;
    QFile file(dir.filePath("animated.gif"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    own.GetInfo(file, 0, info);
    EXPECT_EQ(info.ImageCount, 3);
}

TEST(GifBridge, CodecFilesDecodeInPillow) {
    initGif();
    if (!havePillow()) GTEST_SKIP() << "/usr/bin/python3 with Pillow is not available";
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    QStringList paths;
    std::vector<std::vector<TColor>> expected;
    for (int bits : {1, 2, 4, 7, 8})
        for (bool interlaced : {false, true}) {
            TGIFImage image;
            const int w = 40 + bits, h = 30;
            image.SetWidth(w);
            image.SetHeight(h);
            TGIFSubImage* frame = addFrame(image, w, h, bits, patternPixels(w, h, bits, 3u + unsigned(bits)), interlaced);
            frame->SetInterlaced(interlaced);
            const QString path = dir.filePath(QStringLiteral("codec_%1_%2.gif").arg(bits).arg(interlaced));
            image.SaveToFile(path);
            paths << path;
            expected.push_back(frameColours(image, 0));
        }
    QString output;
    ASSERT_TRUE(runPython(QString::fromUtf8(PillowReader), paths, output)) << output.toStdString();
    for (int i = 0; i < paths.size(); ++i)
        EXPECT_EQ(coloursFromRgb(imaging_test::readFile(paths[i] + ".pil")), expected[size_t(i)]) << paths[i].toStdString();
}

TEST(GifBridge, GraphicsSaveAsGif) {
    initGif();
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    // An 8-bit graphic keeps its pixels exactly.
    TPixelGraphic paletted;
    paletted.SetSize(21, 13, PixelFormat8Bit);
    paletted.SetPaletteCount(256);
    for (int i = 0; i < 256; ++i) paletted.SetPaletteColor(i, pgRGB(uint8_t(i), uint8_t(255 - i), uint8_t(i * 7)));
    for (int y = 0; y < 13; ++y)
        for (int x = 0; x < 21; ++x) paletted.SetPixel(x, y, uint32_t((x * 13 + y * 29) % 256));
    paletted.SetColorResolutionMode(0);
    const QString path = dir.filePath("button.gif");
    paletted.SaveToFile(path);
    const QByteArray bytes = imaging_test::readFile(path);
    EXPECT_TRUE(bytes.startsWith("GIF87a"));
    TPixelGraphic back;
    back.LoadFromFile(path);
    EXPECT_EQ(colours(back), colours(paletted));
    // A true-colour graphic handed to the writer itself is reduced to 256 colours on the way.
    TPixelGraphic photo;
    imaging_test::fillGradient(photo, 64, 40);
    QByteArray photoBytes;
    {
        QBuffer out(&photoBytes);
        out.open(QIODevice::WriteOnly);
        int begins = 0, ends = 0;
        photo.SetOnProgressBegin([&](TPixelGraphic*) { ++begins; });
        photo.SetOnProgressEnd([&](TPixelGraphic*) { ++ends; });
        TGIFFileFormatWriter().Write(out, photo);
        EXPECT_EQ(begins, 1);
        EXPECT_EQ(ends, 1);
    }
    TGIFImage photoGif;
    loadImage(photoGif, photoBytes);
    ASSERT_EQ(photoGif.Images().Count(), 1);
    EXPECT_LE(photoGif.Images().Frame(0)->ColorMap.Count, 256);
    TPixelGraphic photoBack;
    loadGraphic(photoBack, photoBytes);
    ASSERT_EQ(photoBack.GetWidth(), 64);
    ASSERT_EQ(photoBack.GetHeight(), 40);
    // Dithered to 256 colours: each 8 x 8 block keeps its average colour.
    double worst = 0;
    for (int by = 0; by < 40; by += 8)
        for (int bx = 0; bx < 64; bx += 8)
            for (int channel = 0; channel < 3; ++channel) {
                double a = 0, b = 0;
                for (int y = by; y < by + 8; ++y)
                    for (int x = bx; x < bx + 8; ++x) {
                        a += (photo.GetPixelColor(x, y) >> (8 * channel)) & 0xFF;
                        b += (photoBack.GetPixelColor(x, y) >> (8 * channel)) & 0xFF;
                    }
                worst = std::max(worst, std::abs(a - b) / 64);
            }
    EXPECT_LT(worst, 12.0);
}

TEST(GifBridge, DamagedFilesFailCleanly) {
    initGif();
    TGIFImage image;
    image.SetWidth(16);
    image.SetHeight(12);
    addFrame(image, 16, 12, 4, patternPixels(16, 12, 4));
    const QByteArray good = saveImage(image);

    // Truncated anywhere: an error or a partial image, never anything else.
    int partial = 0;
    for (int cut = 0; cut < good.size(); ++cut) {
        TPixelGraphic graphic;
        try {
            loadGraphic(graphic, good.left(cut));
            if (!graphic.GetEmpty()) {
                ++partial;
                EXPECT_EQ(graphic.GetWidth(), 16);
                EXPECT_EQ(colours(graphic).size(), 16u * 12u);
            }
        } catch (const GIFException&) {
        } catch (const EPixelGraphic&) {
        }
        TPixelGraphic direct;
        readWithRegistryReader(direct, good.left(cut));
    }
    EXPECT_GT(partial, 5);

    // A frame reaching outside the logical screen is clipped to it.
    TGIFImage outside;
    outside.SetWidth(10);
    outside.SetHeight(10);
    for (int i = 0; i < 4; ++i) outside.Header().GlobalColorMap.Add(gifRGB(uint8_t(i * 60), 9, 9));
    addFrame(outside, 4, 4, 2, std::vector<uint8_t>(16, 3), true, 8, 8);
    outside.Header().ScreenDescriptor.ScreenWidth = 10;  // undo the growth Add made
    outside.Header().ScreenDescriptor.ScreenHeight = 10;
    TPixelGraphic clipped;
    loadGraphic(clipped, saveImage(outside));
    EXPECT_EQ(clipped.GetWidth(), 10);
    EXPECT_EQ(clipped.GetPixelColor(9, 9), pgRGB(180, 9, 9));
    EXPECT_EQ(clipped.GetPixelColor(7, 7), pgRGB(0, 9, 9));

    // A colour table shorter than the indices used: those pixels are black.
    QByteArray shortTable = QByteArray("GIF89a") + QByteArray::fromHex("04000100" "80" "00" "00" "ff0000" "00ff00") +
                            QByteArray::fromHex("2c" "00000000" "0400" "0100" "00");
    {
        TGIFSubImage frame(nullptr);
        frame.SetWidth(4);
        frame.SetHeight(1);
        frame.NewImage();
        frame.Data = {0, 1, 5, 200};
        frame.ColorMap.Add(0);
        frame.ColorMap.Add(1);
        QByteArray data;
        QBuffer out(&data);
        out.open(QIODevice::WriteOnly);
        frame.Encode(out);
        shortTable += data + ";";
    }
    TPixelGraphic shortColours;
    loadGraphic(shortColours, shortTable);
    EXPECT_EQ(colours(shortColours), (std::vector<TColor>{pgRGB(255, 0, 0), pgRGB(0, 255, 0), 0, 0}));
    TPixelGraphic shortDirect;
    readWithRegistryReader(shortDirect, shortTable);
    // The registry reader keeps the table's 1-bit format: values it cannot hold become index 0.
    ASSERT_EQ(shortDirect.GetWidth(), 4);
    EXPECT_EQ(shortDirect.GetPixelFormat(), PixelFormat1Bit);
    EXPECT_EQ(colours(shortDirect), (std::vector<TColor>{pgRGB(255, 0, 0), pgRGB(0, 255, 0), pgRGB(255, 0, 0),
                                                         pgRGB(255, 0, 0)}));

    // LZW codes past the table: decoded without harm or refused with the codec's error.
    QByteArray wild = good;
    const qsizetype dataStart = good.indexOf(char(0x2C)) + 10 + 16 * 3 + 2;
    for (qsizetype i = dataStart; i < dataStart + 40 && i < wild.size() - 2; ++i) wild[i] = char(0xFF);
    TPixelGraphic wildGraphic;
    try {
        loadGraphic(wildGraphic, wild);
        EXPECT_EQ(wildGraphic.GetWidth(), 16);
    } catch (const GIFException&) {
    }

    // Zero-sized: no screen and no frame size is no image; a frame on an empty screen is shown.
    const QByteArray nothing = QByteArray("GIF89a") + QByteArray::fromHex("00000000" "80" "00" "00" "000000ffffff") +
                               QByteArray::fromHex("2c" "00000000" "0000" "0000" "00" "02" "02" "4c01" "00") + ";";
    TPixelGraphic empty;
    try {
        loadGraphic(empty, nothing);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "Invalid GIF data");
    }
    const QByteArray noScreen = QByteArray("GIF89a") + QByteArray::fromHex("00000000" "80" "00" "00" "000000ffffff") +
                                QByteArray::fromHex("2c" "00000000" "0200" "0100" "00" "02" "02" "4c0a" "00") + ";";
    TPixelGraphic small;
    loadGraphic(small, noScreen);
    EXPECT_EQ(small.GetWidth(), 2);
    EXPECT_EQ(small.GetHeight(), 1);
    EXPECT_EQ(small.GetPixelColor(1, 0), pgRGB(255, 255, 255));

    // No colour table anywhere: refused with the codec's message.
    const QByteArray noTable = QByteArray("GIF89a") + QByteArray::fromHex("02000100" "00" "00" "00") +
                               QByteArray::fromHex("2c" "00000000" "0200" "0100" "00" "02" "02" "4c0a" "00") + ";";
    TPixelGraphic colourless;
    try {
        loadGraphic(colourless, noTable);
        ADD_FAILURE();
    } catch (const GIFException& e) {
        EXPECT_EQ(e.message(), "No global or local color table defined");
    }

    // Not a GIF at all.
    TPixelGraphic notGif;
    EXPECT_THROW(loadGraphic(notGif, QByteArray("GIX89a") + QByteArray(20, '\1')), EPixelGraphic);
    TPixelGraphic header;
    EXPECT_THROW(loadGraphic(header, "GIF"), GIFException);
}
