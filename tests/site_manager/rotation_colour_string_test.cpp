#include "site_manager/colour_string.h"

#include <gtest/gtest.h>

using colour_string::colourFromString;
using colour_string::colourToString;

TEST(RotationColourString, NamedColoursAndHexForTheRest)
{
    EXPECT_EQ(colourToString(0x000000), "clBlack");
    EXPECT_EQ(colourToString(0x0000FF), "clRed");
    EXPECT_EQ(colourToString(0xFF0000), "clBlue");
    EXPECT_EQ(colourToString(0xFFFFFF), "clWhite");
    EXPECT_EQ(colourToString(0x80000000u), "clScrollBar");
    EXPECT_EQ(colourToString(0x80000018u), "clInfoBk");
    EXPECT_EQ(colourToString(0x00123456), "$00123456");
    EXPECT_EQ(colourToString(0x00abcdef), "$00ABCDEF");
    EXPECT_EQ(ColourString(true, 0x0000FF), "Default");
    EXPECT_EQ(ColourString(false, 0x0000FF), "clRed");
}

TEST(RotationColourString, ReadsNamesHexAndDecimal)
{
    EXPECT_EQ(colourFromString("CLRED"), 0x0000FFu);
    EXPECT_EQ(colourFromString("clinfobk"), 0x80000018u);
    EXPECT_EQ(colourFromString("$00ABCDEF"), 0x00ABCDEFu);
    EXPECT_EQ(colourFromString("$00abcdef"), 0x00ABCDEFu);
    EXPECT_EQ(colourFromString("255"), 255u);
    EXPECT_FALSE(colourFromString("Default").has_value());
    EXPECT_FALSE(colourFromString("purple-ish").has_value());
    EXPECT_FALSE(colourFromString("$").has_value());
    EXPECT_FALSE(colourFromString("").has_value());
}

TEST(RotationColourString, EveryStoredFormReadsBackToItsColour)
{
    for (std::uint32_t colour : {0x000000u, 0x808080u, 0x00FFFFu, 0x80000005u, 0x00102030u, 0x00FEDCBAu})
        EXPECT_EQ(colourFromString(colourToString(colour)), colour) << colourToString(colour).toStdString();
}
