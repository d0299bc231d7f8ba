#include "site_manager/builder/navigation.h"

#include "site_manager/builder/page_names.h"

#include <gtest/gtest.h>

namespace {

TEST(BuilderNavigation, PageNamesAndLinkTargets) {
    BuildSettings settings;
    EXPECT_EQ(gethtmlpagename(settings, 1), "Index.html");
    EXPECT_EQ(gethtmlpagename(settings, 2), "Index2.html");
    EXPECT_EQ(gethtmlpagename(settings, 10), "Index10.html");
    settings.BaseHTMLName = "gallery.htm";
    EXPECT_EQ(gethtmlpagename(settings, 3), "gallery3.htm");
    EXPECT_EQ(imagePageName(settings, "Beach.jpg"), "Beach.htm");
    EXPECT_EQ(PageButtonFileName(2, true, ".gif"), "Page_Button_On_2.gif");
    EXPECT_EQ(PageButtonFileName(2, false), "Page_Button_2");
    EXPECT_EQ(NameWithoutExtension("/a/b.c/My.Photo.JPG"), "My.Photo");

    settings.RotationDirectory = "/site/rot";
    EXPECT_EQ(thumbnailDirectory(settings), "/site/rot/thumbs/");
    EXPECT_EQ(thumbnailSource(settings, "Beach.JPG"), "./thumbs/Beach_thb.jpg");
    settings.UseThumbsDirectory = false;
    EXPECT_EQ(thumbnailDirectory(settings), "/site/rot/");
    EXPECT_EQ(thumbnailSource(settings, "Beach.JPG"), "Beach_thb.jpg");

    EXPECT_EQ(GetImageLinkName(settings, "Beach.JPG", "Beach.htm"), "Beach.JPG");
    settings.rdbHTMLImageWindow = true;
    EXPECT_EQ(GetImageLinkName(settings, "Beach.JPG", "Beach.htm"), "Beach.htm");
}

TEST(BuilderNavigation, ImagePagesComeFromTheWholeNameAndNeverShareOrTakeAThumbnailPage) {
    BuildSettings settings;
    const struct {
        QStringList Images;
        int Pages;
        bool Lowercase;
        QStringList Expected;
    } cases[] = {
        // Ordinary names keep the page they always had.
        {{"Beach.jpg", "Index3.jpg"}, 2, false, {"Beach.html", "Index3.html"}},
        // "\" is a character of the name, so these are three different pages.
        {{"y\\img.jpg", "z\\img.jpg", "x\\Index.jpg"}, 1, false, {"y\\img.html", "z\\img.html", "x\\Index.html"}},
        // The gallery's own pages keep their names.
        {{"Index.jpg", "Index2.gif", "a.jpg"}, 2, false, {"Index.jpg.html", "Index2.gif.html", "a.html"}},
        // Two images that ask for one page both give it up; a made-up name never takes the page
        // another image asks for.
        {{"a.jpg", "a.gif", "a.jpg.png"}, 1, false, {"a.jpg_2.html", "a.gif.html", "a.jpg.html"}},
        // Compared as the pages are written: in lower case with the option.
        {{"index.gif", "b.jpg", "b.gif"}, 1, true, {"index.gif.html", "b.jpg.html", "b.gif.html"}},
    };
    for (const auto& c : cases) {
        settings.ForceLowercase = c.Lowercase;
        EXPECT_EQ(imagePageNames(settings, c.Images, c.Pages), c.Expected) << c.Images.join(' ').toStdString();
    }
    // Without an extension on the page name an image page never takes an image's own name.
    settings.ForceLowercase = false;
    settings.BaseHTMLName = "start";
    EXPECT_EQ(imagePageNames(settings, {"a.jpg", "a.jpg.gif", "a.gif"}, 1), QStringList({"a.jpg_2", "a.jpg.gif_2", "a.gif_2"}));
}

TEST(BuilderNavigation, HrefByDisplayMethod) {
    BuildSettings settings;
    settings.ForceLowercase = true;
    EXPECT_EQ(GetHREF(settings, "Beach Day.JPG"), "beach%20day.jpg");
    settings.cmbImageDisplayMethod = NewWindow;
    EXPECT_EQ(GetHREF(settings, "Beach.JPG"), "beach.jpg\" Target=\"_blank");
    settings.cmbImageDisplayMethod = NewWindowScript;
    // The script receives the encoded name: a javascript: link is decoded once before it runs.
    EXPECT_EQ(GetHREF(settings, "Beach Day.JPG"), "javascript:openWin('beach%2520day.jpg','show_beach_day_jpg_window');");
    settings.cmbImageDisplayMethod = SecondWindowScript;
    EXPECT_EQ(GetHREF(settings, "Beach.JPG"), "javascript:openWin('beach.jpg','');");
    EXPECT_EQ(PopupWindowName("Beach Day.JPG"), "show_beach_day_jpg_window");
    EXPECT_EQ(PopupWindowName(""), "New_window");
}

TEST(BuilderNavigation, LinkTargetsEncodeEveryCharacterThatCouldEndOrRedirectALink) {
    BuildSettings settings;
    const struct {
        const char* Name;
        const char* Link;
    } cases[] = {{"Beach.jpg", "Beach.jpg"},
                 {"50% off.jpg", "50%25%20off.jpg"},
                 {"Tom's \"best\" #1?.jpg", "Tom%27s%20%22best%22%20%231%3F.jpg"},
                 {"Caf\u00e9 & Co.jpg", "Caf%C3%A9%20%26%20Co.jpg"},
                 {"./thumbs/a b_thb.jpg", "./thumbs/a%20b_thb.jpg"}};
    for (const auto& c : cases) EXPECT_EQ(LinkTarget(settings, QString::fromUtf8(c.Name)), c.Link) << c.Name;
    // In a script the name stays inside its quotes, whatever it holds.
    settings.cmbImageDisplayMethod = SecondWindowScript;
    EXPECT_EQ(GetHREF(settings, "it's.jpg"), "javascript:openWin('it%2527s.jpg','');");
}

TEST(BuilderNavigation, VerticalTextIndexMarksTheCurrentPage) {
    BuildSettings settings;
    settings.edtpagenumberprefix = "Page ";
    EXPECT_EQ(CreateIndex(settings, 2, 3, false, ".gif"),
              "<TABLE>\r\n"
              "<TR>\r\n<TD>\r\n<A HREF=\"Index.html\">Page 1</A></TD>\r\n</TR>\r\n"
              "<TR>\r\n<TD>\r\nPage 2</TD>\r\n</TR>\r\n"
              "<TR>\r\n<TD>\r\n<A HREF=\"Index3.html\">Page 3</A></TD>\r\n</TR>\r\n"
              "</TABLE>\r\n");
}

TEST(BuilderNavigation, HorizontalIndexWithEnclosureColoursAndFonts) {
    BuildSettings settings;
    settings.rgpIndexLayout = 1;
    settings.edtpagenumberprefix = "Seite";
    settings.cmbLinkEnclosure = 1;
    settings.cmbIndexTextColour = QColor(0x12, 0x34, 0x56);
    settings.rdbindexfontdefault = false;
    settings.indexFontName = "Verdana";
    settings.chkindexBold = true;
    settings.ForceLowercase = true;
    EXPECT_EQ(CreateIndex(settings, 1, 2, false, ".gif"),
              "<TABLE>\r\n<TR>\r\n"
              "<TD>\r\n<B><FONT FACE=\"Verdana\">&lt; <FONT COLOR=\"#123456\">Seite 1</FONT>&gt;</FONT></B></TD>\r\n"
              "<TD>\r\n<B>&lt; <A HREF=\"index2.html\">Seite 2</A>&gt;</B></TD>\r\n"
              "</TR>\r\n</TABLE>\r\n");
}

TEST(BuilderNavigation, ButtonIndexRefersToTheButtonFiles) {
    BuildSettings settings;
    settings.rgpIndexLayout = 1;
    EXPECT_EQ(IndexCellHtml(settings, 1, true, true, ".jpg"), "<TD>\r\n<IMG SRC=\"Page_Button_On_1.jpg\" BORDER=0></TD>\r\n");
    EXPECT_EQ(IndexCellHtml(settings, 2, false, true, ".jpg"),
              "<TD>\r\n<A HREF=\"Index2.html\"><IMG SRC=\"Page_Button_2.jpg\" BORDER=0></A></TD>\r\n");
    settings.ForceLowercase = true;
    EXPECT_EQ(IndexCellHtml(settings, 2, false, true, ".gif"),
              "<TD>\r\n<A HREF=\"index2.html\"><IMG SRC=\"page_button_2.gif\" BORDER=0></A></TD>\r\n");
    // Current-page and other-page buttons saved in different formats keep their own extensions.
    EXPECT_EQ(IndexCellHtml(settings, 1, true, true, ".gif", ".jpg"),
              "<TD>\r\n<IMG SRC=\"page_button_on_1.gif\" BORDER=0></TD>\r\n");
    EXPECT_TRUE(IndexCellHtml(settings, 2, false, true, ".gif", ".jpg").contains("page_button_2.jpg"));
}

TEST(BuilderNavigation, NavigationTableWithTextAndGraphicLinks) {
    BuildSettings settings;
    EXPECT_EQ(getnavigationstring(settings, "a.html", "Previous Image", false, "Next Image", "c.html", "Index",
                                  "Index.html"),
              "");
    const QString table = getnavigationstring(settings, "", "Previous 20 Thumbnails", true, "Next 20 Thumbnails",
                                              "Index2.html", "", "");
    EXPECT_EQ(table,
              "<center><table COLS=3 border=\"0\" cellpadding=\"3\" cellspacing=\"4\" width=\"90%\">\r\n<tr>\r\n"
              "<td>&nbsp;</td>\r\n<td><p align=\"center\">&nbsp;</p></td>\r\n"
              "<td><p align=\"right\"><a href=\"Index2.html\">Next 20 Thumbnails</a></p></td>\r\n"
              "</tr>\r\n</table></center>");

    settings.chkimagenavigationbar = true;
    settings.Chkusecustombuttons = true;
    settings.edtpreviousfile = "/data/navgraph/Previous.gif";
    settings.edtnextfile = "C:\\Buttons\\Next.GIF";
    settings.cmbLinkEnclosure = 3;
    settings.ForceLowercase = true;
    const QString graphics = getnavigationstring(settings, "A.html", "Previous Image", false, "Next Image", "C.html",
                                                 "Index", "Index2.html");
    EXPECT_TRUE(graphics.contains(
        "<td><a href=\"a.html\"><img SRC=\"previous.gif\" ALT=\"Previous Image\" BORDER=0></a></td>\r\n"));
    EXPECT_TRUE(graphics.contains("<td><p align=\"center\">[ <a href=\"index2.html\">Index</a> ]</p></td>\r\n"));
    EXPECT_TRUE(graphics.contains(
        "<td><p align=\"right\"><a href=\"c.html\"><img SRC=\"next.gif\" ALT=\"Next Image\" BORDER=0></a></p></td>"));
    settings.edtindexfile = "/data/navgraph/Index.gif";
    EXPECT_TRUE(getnavigationstring(settings, "A.html", "P", false, "N", "C.html", "Index", "Index2.html")
                    .contains("<a href=\"index2.html\"><img SRC=\"index.gif\" ALT=\"Index\" BORDER=0></a>"));
}

}  // namespace
