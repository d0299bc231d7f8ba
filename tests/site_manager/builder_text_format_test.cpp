#include "site_manager/builder/text_format.h"

#include <gtest/gtest.h>

namespace {

TEST(BuilderTextFormat, ColoursAreHashAndSixUpperCaseDigitsRedFirst) {
    EXPECT_EQ(colortohtmlhex(colourFromValue(0x0000FF)), "#FF0000");
    EXPECT_EQ(colortohtmlhex(colourFromValue(0x808000)), "#008080");
    EXPECT_EQ(colortohtmlhex(QColor(0x12, 0x34, 0xab)), "#1234AB");
    EXPECT_EQ(comboColourValue(QColor(0x12, 0x34, 0x56)), 0x563412u);
    EXPECT_EQ(comboColourValue(std::nullopt), 0u);
}

TEST(BuilderTextFormat, DefaultPageColourGivesNoTag) {
    const TagPair none = getcolourstr(std::nullopt);
    EXPECT_TRUE(none.Open.isEmpty());
    EXPECT_TRUE(none.Close.isEmpty());
    const TagPair custom = getcolourstr(QColor(0x12, 0x34, 0x56));
    EXPECT_EQ(custom.Open, "<FONT COLOR=\"#123456\">");
    EXPECT_EQ(custom.Close, "</FONT>");
}

TEST(BuilderTextFormat, FontTagsPutItalicsAndBoldBeforeTheFaceAndTheSizeAfter) {
    BuildSettings settings;
    EXPECT_TRUE(pageFontTags(settings).Open.isEmpty());
    settings.rdbfontdefault = false;
    settings.FontName = "Arial";
    settings.chkBold = true;
    settings.chkitalics = true;
    settings.cmbFontsize = 3;  // "+1"
    const TagPair page = pageFontTags(settings);
    EXPECT_EQ(page.Open, "<I><B><FONT FACE=\"Arial\"><FONT SIZE=+1>");
    EXPECT_EQ(page.Close, "</FONT></B></I></FONT>");
    // Headings take the face only.
    EXPECT_EQ(headingFontTags(settings).Open, "<FONT FACE=\"Arial\">");
    EXPECT_EQ(headingFontTags(settings).Close, "</FONT>");
    // The index style comes from the index controls.
    settings.chkindexBold = true;
    settings.cmbindexFontsize = 0;  // "-2"
    const TagPair index = getfontstr(settings, "Verdana,Arial", false, true, false);
    EXPECT_EQ(index.Open, "<B><FONT FACE=\"Verdana,Arial\"><FONT SIZE=-2>");
    EXPECT_EQ(index.Close, "</FONT></B></FONT>");
    // The default font has no face part even with a face name given.
    EXPECT_EQ(getfontstr(settings, "Arial", true, true, true).Open, "");
}

TEST(BuilderTextFormat, LinkEnclosuresAndTheirColour) {
    BuildSettings settings;
    const auto enclosure = [&](int item) {
        settings.cmbLinkEnclosure = item;
        const TagPair tags = getEnclosurecharacter(settings);
        return tags.Open + "|" + tags.Close;
    };
    EXPECT_EQ(enclosure(0), "|");
    EXPECT_EQ(enclosure(1), "&lt; |&gt;");
    EXPECT_EQ(enclosure(2), "&gt;| &lt;");
    EXPECT_EQ(enclosure(3), "[ | ]");
    EXPECT_EQ(enclosure(4), "- | -");
    settings.cmbLinkEncColour = QColor(Qt::red);
    EXPECT_EQ(enclosure(3), "<FONT COLOR=\"#FF0000\">[ </FONT>|<FONT COLOR=\"#FF0000\"> ]</FONT>");
}

TEST(BuilderTextFormat, PagePrefixIsNormalisedToEndInABlank) {
    EXPECT_EQ(normalisedPagePrefix(""), "Page ");
    EXPECT_EQ(normalisedPagePrefix("Seite"), "Seite ");
    EXPECT_EQ(normalisedPagePrefix("Page "), "Page ");
    EXPECT_EQ(fontSizeItemText(2), "Default");
    EXPECT_EQ(fontSizeItemText(6), "+4");
}

}  // namespace
