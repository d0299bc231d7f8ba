#include "imaging/pixel_graphic.h"
#include "site_manager/builder/page_buttons.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <gtest/gtest.h>
#include <unistd.h>

using testing_support::TempDataDir;

namespace {

QString writeStyle(const TempDataDir& data, const QString& name, QRgb colour) {
    QImage style(120, 32, QImage::Format_RGB888);
    style.fill(colour);
    const QString path = data.file(name);
    style.save(path, "JPG", 100);
    return path;
}

// Pixels of the button that clearly differ from the plain style colour.
int changedPixels(const TPixelGraphic& button, QRgb plain) {
    int changed = 0;
    for (int y = 0; y < button.GetHeight(); ++y)
        for (int x = 0; x < button.GetWidth(); ++x) {
            const TColor c = button.GetPixelColor(x, y);
            if (std::abs(pgRed(c) - qRed(plain)) + std::abs(pgGreen(c) - qGreen(plain)) +
                    std::abs(pgBlue(c) - qBlue(plain)) > 120)
                ++changed;
        }
    return changed;
}

}  // namespace

// A true-colour style gives a JPEG button, a paletted one a GIF; either way the label shows in its
// colour and the rest keeps the style colour. A missing style graphic gives no button.
TEST(PageButtons, TheStylesKindGivesTheButtonsFormatAndTheLabelShows) {
    TempDataDir data;
    TPixelGraphic paletted;  // a 256-colour style graphic written as GIF
    paletted.SetSize(120, 32, PixelFormat8Bit);
    paletted.SetPaletteIdent(pSpecial252);
    const int blue = paletted.NearestColorIndex(pgRGB(0, 0, 255));
    for (int y = 0; y < 32; ++y)
        for (int x = 0; x < 120; ++x) paletted.SetPixel(x, y, uint32_t(blue));
    paletted.SaveToFile(data.file("style.gif"));
    const auto make = [&](const QString& style, const QString& name, TColor colour, const char* startExtension,
                          const ButtonFont& font, TPixelGraphic& button) {
        ButtonExtension = startExtension;
        ASSERT_TRUE(createbutton(style, data.file(name), colour, "Page 1", font));
        ASSERT_TRUE(QFile::exists(data.file(name) + ButtonExtension)) << name.toStdString();
        button.LoadFromFile(data.file(name) + ButtonExtension);
        EXPECT_EQ(button.GetWidth(), 120);
        EXPECT_EQ(button.GetHeight(), 32);
    };

    TPixelGraphic white;  // white text on blue, and no key green around it
    make(writeStyle(data, "style.jpg", qRgb(40, 60, 160)), "Page_Button_On_1", 0x00FFFFFF, ".gif",
         {"DejaVu Sans", 12, true, false}, white);
    EXPECT_EQ(ButtonExtension, ".jpg");
    EXPECT_GT(changedPixels(white, qRgb(40, 60, 160)), 30);
    EXPECT_LT(pgGreen(white.GetPixelColor(1, 1)), 120);

    TPixelGraphic red;  // 0x000000FF is pure red: dark text on a light style
    make(writeStyle(data, "light.jpg", qRgb(230, 230, 200)), "Page_Button_2", 0x000000FF, ".jpg",
         {"DejaVu Sans", 12, false, true}, red);
    EXPECT_GT(changedPixels(red, qRgb(230, 230, 200)), 30);
    bool sawRed = false;
    for (int y = 0; y < red.GetHeight(); ++y)
        for (int x = 0; x < red.GetWidth(); ++x) {
            const TColor c = red.GetPixelColor(x, y);
            sawRed = sawRed || (pgRed(c) > 180 && pgGreen(c) < 90 && pgBlue(c) < 90);
        }
    EXPECT_TRUE(sawRed);

    TPixelGraphic gif;
    make(data.file("style.gif"), "Page_Button_3", 0x00FFFFFF, ".jpg", {"DejaVu Sans", 12, true, false}, gif);
    EXPECT_EQ(ButtonExtension, ".gif");
    EXPECT_LE(gif.GetBitCount(), 8);
    EXPECT_GT(changedPixels(gif, qRgb(0, 0, 255)), 30);  // white label on blue

    EXPECT_FALSE(createbutton(data.file("none.gif"), data.file("Page_Button_4"), 0, "Page 1", {"DejaVu Sans", 10, false, false}));
    EXPECT_FALSE(QFile::exists(data.file("Page_Button_4.gif")));
    EXPECT_FALSE(QFile::exists(data.file("Page_Button_4.jpg")));
}

// A rebuild replaces a button by rename: a hard link to the old button (a copy already published
// elsewhere) keeps the old bytes, and no temporary file stays behind.
TEST(PageButtons, ARebuiltButtonReplacesTheOldOneWhole) {
    TempDataDir data;
    const QString style = writeStyle(data, "style.jpg", qRgb(40, 60, 160));
    data.write("out/Page_Button_1.jpg", "old button");
    ASSERT_EQ(::link(QFile::encodeName(data.file("out/Page_Button_1.jpg")).constData(),
                     QFile::encodeName(data.file("published.jpg")).constData()),
              0);
    ASSERT_TRUE(createbutton(style, data.file("out/Page_Button_1"), 0x00FFFFFF, "Page 1", {"DejaVu Sans", 12, true, false}));
    TPixelGraphic button;
    button.LoadFromFile(data.file("out/Page_Button_1.jpg"));
    EXPECT_EQ(button.GetWidth(), 120);
    EXPECT_EQ(data.read("published.jpg"), QByteArray("old button"));
    EXPECT_EQ(QDir(data.file("out")).entryList(QDir::Files | QDir::Hidden), QStringList{"Page_Button_1.jpg"});
}

namespace {

// A GIF style graphic: two colours (1 bit) or a 256-colour gradient (8 bits).
QString writeGifStyle(const TempDataDir& data, const QString& name, bool twoColours) {
    TPixelGraphic style;
    if (twoColours) {
        style.SetSize(120, 32, PixelFormat1Bit);
        style.SetPaletteIdent(pGray256);
        style.SetPaletteCount(2);
        style.SetPaletteColor(0, pgRGB(0, 0, 128));
        style.SetPaletteColor(1, pgRGB(128, 128, 128));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 120; ++x) style.SetPixel(x, y, uint32_t(y < 3 || y > 28));
    } else {
        style.SetSize(120, 32, PixelFormat8Bit);
        style.SetPaletteIdent(pGray256);
        for (int i = 0; i < 256; ++i) style.SetPaletteColor(i, pgRGB(uint8_t(i / 2), uint8_t(i / 4), uint8_t(60 + i / 3)));
        for (int y = 0; y < 32; ++y)
            for (int x = 0; x < 120; ++x) style.SetPixel(x, y, uint32_t(x * 255 / 119));
    }
    const QString path = data.file(name);
    style.SetColorResolutionMode(0);
    style.SaveToFile(path);
    return path;
}

int pixelsNear(const TPixelGraphic& button, TColor colour) {
    int count = 0;
    for (int y = 0; y < button.GetHeight(); ++y)
        for (int x = 0; x < button.GetWidth(); ++x) {
            const TColor c = button.GetPixelColor(x, y);
            if (std::abs(pgRed(c) - pgRed(colour)) <= 12 && std::abs(pgGreen(c) - pgGreen(colour)) <= 12 &&
                std::abs(pgBlue(c) - pgBlue(colour)) <= 12)
                ++count;
        }
    return count;
}

}  // namespace

// The label keeps its own colour on GIF styles of few colours: it is drawn in true colour and the
// palette is reduced only when the button is saved.
TEST(PageButtons, GifStylesKeepTheLabelsColour) {
    TempDataDir data;
    const QString styles[] = {writeGifStyle(data, "two.gif", true), writeGifStyle(data, "gradient.gif", false)};
    const TColor colours[] = {pgRGB(255, 255, 255), pgRGB(255, 255, 0), pgRGB(255, 0, 0)};
    int n = 0;
    for (const QString& style : styles)
        for (const TColor colour : colours) {
            SCOPED_TRACE(QString("%1 colour %2").arg(style).arg(colour, 6, 16).toStdString());
            const QString target = data.file(QString("Page_Button_%1").arg(++n));
            ASSERT_TRUE(createbutton(style, target, colour, "Page 12", {"DejaVu Sans", 14, true, false}));
            EXPECT_EQ(ButtonExtension, ".gif");
            TPixelGraphic button;
            button.LoadFromFile(target + ".gif");
            EXPECT_GT(pixelsNear(button, colour), 40);
        }
}
