// Thumbnail pages and image display pages generated from small templates into a real directory.
#include "site_manager/builder/page_generator.h"

#include "site_manager/builder/page_heading.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/thumbnail_sizing.h"
#include "tests/common/link_checker.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QImage>
#include <gtest/gtest.h>

namespace {

const QByteArray ThumbTemplate =
    "<html><head><title>Gallery</title></head>\r\n<body>\r\n***HEADER***\r\n***INDEX***\r\n***CONTENT***\r\n"
    "***FOOTER***\r\n</body></html>\r\n";
const QByteArray ImageTemplate = "<html><head></head><body>\r\n***HEADER***\r\n***CONTENT***\r\n***INDEX***\r\n"
                                 "***FOOTER***\r\n</body></html>\r\n";

class BuilderPages : public ::testing::Test {
protected:
    BuilderPages() {
        settings.RotationDirectory = dir.path() + "rot";
        QDir().mkpath(settings.RotationDirectory);
        settings.ThumbnailTemplate = dir.write("templates/thumbs.htm", ThumbTemplate);
        settings.ImageTemplate = dir.write("templates/image.htm", ImageTemplate);
        settings.Features.Thumbnail = {true, true, true, true};
        settings.Features.Image = {true, true, true, true};
        settings.chkAddTavrelLink = false;
    }

    // Image names Img01.jpg ... written as small files into the rotation directory.
    QStringList makeImages(int count, const QString& stem = "Img") {
        QStringList names;
        for (int i = 1; i <= count; ++i) {
            names << QString("%1%2.jpg").arg(stem).arg(i, 2, 10, QChar('0'));
            dir.write("rot/" + names.last(), "jpeg data");
        }
        return names;
    }

    QString page(const QString& name) const { return QString::fromUtf8(dir.read("rot/" + name)); }
    QStringList htmlFiles() const {
        return QDir(settings.RotationDirectory).entryList({"*.html"}, QDir::Files, QDir::Name);
    }
    // The files the other build steps write: thumbnails and page buttons.
    void writeThumbnailsAndButtons(const PageGenerator& generator) {
        QDir().mkpath(thumbnailDirectory(settings));
        for (const QString& image : generator.images())
            dir.write(thumbnailDirectory(settings).mid(dir.path().length()) + ThumbnailFileName(image), "thumb");
        for (int n = 1; n <= generator.PageCount(); ++n) {
            dir.write("rot/" + PageButtonFileName(n, true, ".gif"), "gif");
            dir.write("rot/" + PageButtonFileName(n, false, ".gif"), "gif");
        }
    }

    testing_support::TempDataDir dir;
    BuildSettings settings;
};

TEST_F(BuilderPages, TwentyThreeImagesGiveTwoPagesWithTheLastThreeOnThePageAfter) {
    settings.rdbHTMLImageWindow = true;
    PageGenerator generator(settings, makeImages(23));
    EXPECT_EQ(generator.ImagesPerPage(), 20);
    EXPECT_EQ(generator.PageCount(), 2);
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    EXPECT_EQ(htmlFiles(), QStringList({"Index.html", "Index2.html"}));

    const QString first = page("Index.html");
    EXPECT_TRUE(first.startsWith("<html><head><title>Gallery</title></head>\r\n<body>\r\n\r\n<TABLE>\r\n<TR>\r\n"));
    EXPECT_TRUE(first.contains("<center><table CELLSPACING=3 CELLPADDING=10>\r\n<tr ALIGN=CENTER VALIGN=BOTTOM>\r\n"
                               "<td><center><a href=\"Img01.html\"><img SRC=\"./thumbs/Img01_thb.jpg\" BORDER=2></a>"
                               "<br><a href=\"Img01.html\">Img01</a></center>\r\n</td>\r\n\r\n"));
    EXPECT_TRUE(first.contains("<td>&nbsp;</td>\r\n"));
    EXPECT_TRUE(first.contains("<a href=\"Index2.html\">Last 3 Thumbnails</a>"));
    EXPECT_EQ(first.count("<td><center>"), 20);
    EXPECT_EQ(first.count("<tr ALIGN=CENTER VALIGN=BOTTOM>"), 4);
    EXPECT_TRUE(first.endsWith("</table></center>\r\n\r\n</body></html>\r\n"));
    EXPECT_FALSE(first.contains("\n\n"));  // every line end is CR LF
    EXPECT_EQ(first.count('\n'), first.count("\r\n"));

    const QString second = page("Index2.html");
    EXPECT_EQ(second.count("<td><center>"), 3);
    EXPECT_EQ(second.count("<tr ALIGN=CENTER VALIGN=BOTTOM>"), 4);  // the empty rows are written too
    EXPECT_TRUE(second.contains("<tr ALIGN=CENTER VALIGN=BOTTOM>\r\n</tr>\r\n<tr ALIGN=CENTER VALIGN=BOTTOM>\r\n</tr>"));
    EXPECT_TRUE(second.contains("<td><a href=\"Index.html\">Previous 20 Thumbnails</a></td>\r\n"));
    EXPECT_TRUE(second.contains("<td><p align=\"right\">&nbsp;</p></td>\r\n"));
    EXPECT_TRUE(second.contains("<TD>\r\nPage 2</TD>"));
    EXPECT_TRUE(second.contains("<TD>\r\n<A HREF=\"Index.html\">Page 1</A></TD>"));
}

TEST_F(BuilderPages, NextAndLastCaptionsAndASinglePage) {
    {
        PageGenerator generator(settings, makeImages(60));
        ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
        EXPECT_EQ(htmlFiles().size(), 3);
        EXPECT_TRUE(page("Index.html").contains("<a href=\"Index2.html\">Next 20 Thumbnails</a>"));
        EXPECT_TRUE(page("Index2.html").contains("<a href=\"Index3.html\">Last 20 Thumbnails</a>"));
        EXPECT_TRUE(page("Index3.html").contains("<td><p align=\"right\">&nbsp;</p></td>"));
        // Only the image is displayed: thumbnails link to the image files.
        EXPECT_TRUE(page("Index.html").contains("<a href=\"Img01.jpg\"><img SRC=\"./thumbs/Img01_thb.jpg\""));
    }
    QDir(settings.RotationDirectory).removeRecursively();
    QDir().mkpath(settings.RotationDirectory);
    settings.spnHorzCOunt = 3;
    settings.spnVertCOunt = 2;
    settings.UseThumbsDirectory = false;
    settings.spnImageborder = 0;
    settings.Filename_Display = FilenameDisplay::Nothing;
    PageGenerator generator(settings, makeImages(4));
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    EXPECT_EQ(htmlFiles(), QStringList({"Index.html"}));
    const QString single = page("Index.html");
    EXPECT_TRUE(single.contains("<td>&nbsp;</td>\r\n<td><p align=\"center\">&nbsp;</p></td>\r\n"
                                "<td><p align=\"right\">&nbsp;</p></td>"));
    EXPECT_TRUE(single.contains("<td><center><a href=\"Img01.jpg\"><img SRC=\"Img01_thb.jpg\" BORDER=0></a></td>\r\n"));
    EXPECT_EQ(single.count("<tr ALIGN=CENTER VALIGN=BOTTOM>"), 2);
}

TEST_F(BuilderPages, HeadingsFontsColoursAndMakerLine) {
    settings.chkThumbnailPageHeading = true;
    settings.edtpagenumberprefix = "Seite";
    settings.Cmbheadingsize = 2;
    settings.cmbHeadingColour = QColor(0x12, 0x34, 0x56);
    settings.rdbfontdefault = false;
    settings.FontName = "Arial";
    settings.chkBold = true;
    settings.chkAddTavrelLink = true;
    PageGenerator generator(settings, makeImages(2));
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    const QString text = page("Index.html");
    EXPECT_TRUE(text.contains(
        "<center><H3><FONT COLOR=\"#123456\"><FONT FACE=\"Arial\">Seite 1</FONT></FONT></H3></center><center><table"));
    EXPECT_TRUE(text.contains("<br><a href=\"Img01.jpg\"><B><FONT FACE=\"Arial\">Img01</FONT></B></a></center>"));
    EXPECT_TRUE(text.contains("</table></center>\r\n<BR>&nbsp;<CENTER><B><FONT FACE=\"Times New Roman,Times\">"
                              "<FONT SIZE=-1>"));
    EXPECT_TRUE(text.contains("<TD>\r\nSeite 1</TD>"));  // the index keeps its own (default) style
    for (int r = 0; r <= 4; ++r) EXPECT_TRUE(GetTavrelLink(r).contains("target=\"_blank\""));
    EXPECT_EQ(GetTavrelLink(0), GetTavrelLink(2));
    EXPECT_NE(GetTavrelLink(1), GetTavrelLink(3));
    EXPECT_NE(GetTavrelLink(3), GetTavrelLink(4));
}

TEST_F(BuilderPages, HeaderListCyclesOverFivePagesAndFootersStayFixed) {
    settings.spnHorzCOunt = 1;
    settings.spnVertCOunt = 1;
    settings.cmbHeader = 2;
    settings.edtheaderfile = dir.write("Site_1_Headers.txt", "<p>one</p>\r\n<p>t|wo</p>\r\n<p>three</p>\r\n");
    settings.cmbFooter = 1;
    settings.edtfooterhtml = "<hr>|<small>end</small>";
    PageGenerator generator(settings, makeImages(5));
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    const QStringList expected = {"<p>one</p>", "<p>two</p>", "<p>three</p>", "<p>one</p>", "<p>two</p>"};
    for (int p = 1; p <= 5; ++p) {
        const QString text = page(gethtmlpagename(settings, p));
        EXPECT_TRUE(text.contains("<body>\r\n" + expected[p - 1] + "\r\n<TABLE>")) << p;
        EXPECT_TRUE(text.contains("\r\n<hr><small>end</small>\r\n</body>")) << p;
    }
}

TEST_F(BuilderPages, TemplateWithoutPlaceholdersGetsNoIndexHeaderOrFooter) {
    settings.Features.Thumbnail = {true, false, false, false};
    settings.cmbHeader = 1;
    settings.edtheaderhtml = "HEADER TEXT";
    PageGenerator generator(settings, makeImages(2));
    EXPECT_EQ(generator.thumbPageIndex(1), "");
    ASSERT_TRUE(generator.createHTMLThumbpage(generator.thumbPagePath(1), 1, generator.thumbPageIndex(1), 0));
    EXPECT_TRUE(page("Index.html").startsWith("<html><head><title>Gallery</title></head>\r\n<body>\r\n\r\n\r\n<center>"));
    settings.chkIndexInThumbPages = false;
    settings.Features.Thumbnail.Index = true;
    EXPECT_EQ(PageGenerator(settings, {"a.jpg"}).thumbPageIndex(1), "");
}

TEST_F(BuilderPages, NoThumbnailModeWritesEmptyPagesWithHeaderFooterAndIndex) {
    settings.NoThumbnailMode = true;
    settings.NoThumbnailPageCount = 10;
    settings.cmbHeader = 1;
    settings.edtheaderhtml = "<h1>Soon</h1>";
    PageGenerator generator(settings, {});
    EXPECT_EQ(generator.PageCount(), 10);
    EXPECT_EQ(thumbnailDirectory(settings), settings.pageDirectory());
    ASSERT_EQ(generator.writeImagePages(), PageGenerator::RunResult::Done);
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    EXPECT_EQ(htmlFiles().size(), 10);
    EXPECT_TRUE(QFile::exists(dir.file("rot/Index10.html")));
    EXPECT_FALSE(QDir(dir.file("rot/thumbs")).exists());
    const QString text = page("Index10.html");
    EXPECT_TRUE(text.contains("<body>\r\n<h1>Soon</h1>\r\n<TABLE>"));
    EXPECT_TRUE(text.contains("<TD>\r\nPage 10</TD>"));
    EXPECT_TRUE(text.contains("</TABLE>\r\n\r\n\r\n\r\n</body>"));  // empty content and footer
    EXPECT_FALSE(text.contains("<img"));
}

TEST_F(BuilderPages, ImagePagesLinkNeighboursAndTheirThumbnailPage) {
    settings.rdbHTMLImageWindow = true;
    settings.spnHorzCOunt = 3;
    settings.spnVertCOunt = 1;
    settings.chkimagenavigationbar = true;
    settings.chkImageHeading = true;
    PageGenerator generator(settings, makeImages(7));
    QStringList messages;
    generator.setMessageHandler([&](const QString& text) { messages << text; });
    ASSERT_EQ(generator.writeImagePages(), PageGenerator::RunResult::Done);
    EXPECT_EQ(htmlFiles().size(), 7);
    EXPECT_TRUE(messages.contains("Creating Image Display page for the image, Img05.jpg"));
    EXPECT_TRUE(messages.contains("Creating Index for Page 3"));

    const QString fifth = page("Img05.html");
    EXPECT_TRUE(fifth.contains("<body>\r\n\r\n<center><H1>Img05</H1></center>\r\n<CENTER><IMG SRC=\"Img05.jpg\">"
                               "</CENTER>\r\n<BR>&nbsp;<center><table COLS=3"));
    EXPECT_TRUE(fifth.contains("<td><a href=\"Img04.html\">Previous Image</a></td>\r\n"
                               "<td><p align=\"center\"><a href=\"Index2.html\">Index</a></p></td>\r\n"
                               "<td><p align=\"right\"><a href=\"Img06.html\">Next Image</a></p></td>"));
    EXPECT_TRUE(fifth.contains("<TD>\r\nPage 2</TD>"));  // the index marks the page holding the image
    EXPECT_FALSE(fifth.contains("openWin"));
    EXPECT_TRUE(page("Img01.html").contains("<td>&nbsp;</td>"));
    EXPECT_TRUE(page("Img07.html").contains("<td><p align=\"right\">&nbsp;</p></td>"));
    EXPECT_TRUE(page("Img07.html").contains("<a href=\"Index3.html\">Index</a>"));

    // Without the navigation bar the prefix stays and the table goes.
    settings.chkimagenavigationbar = false;
    settings.chkImageHeading = false;
    PageGenerator plain(settings, generator.images());
    const QString text = plain.imagePageText(0, "", 1);
    EXPECT_TRUE(text.contains("<body>\r\n\r\n\r\n<CENTER><IMG SRC=\"Img01.jpg\"></CENTER>\r\n<BR>&nbsp;\r\n"));
}

TEST_F(BuilderPages, ImagePageHeadingFollowsTheDisplaySetting) {
    settings.rdbHTMLImageWindow = true;
    settings.chkImageHeading = true;
    settings.MaxFilenameLength = 10;
    const QStringList images = {"MyPrettyPicture.jpg"};
    EXPECT_TRUE(PageGenerator(settings, images).imagePageText(0, "", 1).contains("<H1>MyPrett...</H1>"));
    settings.Filename_Display = FilenameDisplay::Nothing;
    EXPECT_TRUE(PageGenerator(settings, images).imagePageText(0, "", 1).contains("<H1>MyPrettyPicture.jpg</H1>"));
}

TEST_F(BuilderPages, MaximumImageSizeFitsTheImageIntoTheBox) {
    settings.rdbHTMLImageWindow = true;
    settings.chkmaximagesize = true;
    settings.spnImageWidth = 1000;
    settings.SpnImageHeight = 1000;
    ASSERT_TRUE(QImage(3000, 2000, QImage::Format_RGB32).save(dir.file("rot/Wide.jpg")));
    ASSERT_TRUE(QImage(640, 480, QImage::Format_RGB32).save(dir.file("rot/Small.jpg")));
    dir.write("rot/Broken.jpg", "not an image");
    PageGenerator generator(settings, {"Wide.jpg", "Small.jpg", "Broken.jpg"});
    EXPECT_TRUE(generator.imagePageText(0, "", 1).contains("<IMG SRC=\"Wide.jpg\" WIDTH=1000 HEIGHT=666 ></CENTER>"));
    EXPECT_TRUE(generator.imagePageText(1, "", 1).contains("<IMG SRC=\"Small.jpg\" WIDTH=640 HEIGHT=480 ></CENTER>"));
    EXPECT_TRUE(generator.imagePageText(2, "", 1).contains("<IMG SRC=\"Broken.jpg\"></CENTER>"));
    settings.chkmaximagesize = false;
    EXPECT_TRUE(PageGenerator(settings, {"Wide.jpg"}).imagePageText(0, "", 1).contains("<IMG SRC=\"Wide.jpg\">"));
}

TEST_F(BuilderPages, LowerCaseOptionChangesLinksAndTheWrittenNamesButNotCaptions) {
    settings.ForceLowercase = true;
    settings.rdbHTMLImageWindow = true;
    settings.chkimagenavigationbar = true;
    settings.chkImageHeading = true;
    settings.BaseHTMLName = "Gallery.HTML";
    PageGenerator generator(settings, makeImages(25, "Beach"));
    ASSERT_EQ(generator.writeImagePages(), PageGenerator::RunResult::Done);
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    // The pages are written under the names the links use.
    EXPECT_EQ(QDir(dir.file("rot")).entryList({"*.html", "*.HTML"}, QDir::Files).size(), 27);
    EXPECT_TRUE(QFile::exists(dir.file("rot/gallery.html")));
    EXPECT_TRUE(QFile::exists(dir.file("rot/gallery2.html")));
    EXPECT_TRUE(QFile::exists(dir.file("rot/beach01.html")));
    const QString thumbs = page("gallery.html");
    EXPECT_TRUE(thumbs.contains("<a href=\"beach01.html\"><img SRC=\"./thumbs/beach01_thb.jpg\" BORDER=2></a>"
                                "<br><a href=\"beach01.html\">Beach01</a>"));
    EXPECT_TRUE(thumbs.contains("<a href=\"gallery2.html\">Last 5 Thumbnails</a>"));
    EXPECT_TRUE(thumbs.contains("<A HREF=\"gallery2.html\">Page 2</A>"));
    const QString image = page("beach21.html");
    EXPECT_TRUE(image.contains("<H1>Beach21</H1></center>\r\n<CENTER><IMG SRC=\"beach21.jpg\"></CENTER>"));
    EXPECT_TRUE(image.contains("<a href=\"gallery2.html\">Index</a>"));
    EXPECT_TRUE(image.contains("<a href=\"beach20.html\">Previous Image</a>"));
}

TEST_F(BuilderPages, JavaScriptDisplayMethodPutsTheScriptIntoThumbnailPagesOnly) {
    settings.rdbHTMLImageWindow = true;
    settings.cmbImageDisplayMethod = NewWindowScript;
    PageGenerator generator(settings, {"Beach Day.jpg"});
    dir.write("rot/Beach Day.jpg", "x");
    const QString thumbs = generator.thumbPageText(1, "", 0);
    EXPECT_TRUE(thumbs.contains("<title>Gallery</title><script language=\"JavaScript\">\r\n"));
    EXPECT_TRUE(thumbs.contains("</script>\r\n</head>"));
    EXPECT_TRUE(thumbs.contains(
        "<a href=\"javascript:openWin('Beach%2520Day.html','show_beach_day_html_window');\"><img "
        "SRC=\"./thumbs/Beach%20Day_thb.jpg\""));
    EXPECT_FALSE(generator.imagePageText(0, "", 1).contains("<script"));
}

TEST_F(BuilderPages, EveryReferenceOfABuiltGalleryNamesAFileTheBuildWrites) {
    settings.rdbHTMLImageWindow = true;
    settings.chkimagenavigationbar = true;
    settings.Chkusecustombuttons = true;
    settings.edtpreviousfile = dir.write("navgraph/Previous.gif", "gif");
    settings.edtnextfile = dir.write("navgraph/Next.gif", "gif");
    settings.edtindexfile = dir.write("navgraph/Index.gif", "gif");
    settings.cmbImageDisplayMethod = SecondWindowScript;
    settings.spnHorzCOunt = 2;
    settings.spnVertCOunt = 2;
    // The support files are copied beside the pages by the build.
    for (const char* graphic : {"Previous.gif", "Next.gif", "Index.gif"})
        dir.write(QString("rot/") + graphic, "gif");

    for (const bool buttons : {false, true}) {
        PageGenerator generator(settings, makeImages(9));
        generator.setUseButtons(buttons);
        generator.setButtonExtension(".gif");
        writeThumbnailsAndButtons(generator);
        ASSERT_EQ(generator.writeImagePages(), PageGenerator::RunResult::Done);
        ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
        EXPECT_EQ(htmlFiles().size(), 9 + 3);
        EXPECT_EQ(testing_support::brokenLinks(settings.RotationDirectory), QStringList());
        const QString index = page("Index2.html");
        EXPECT_EQ(index.contains("<IMG SRC=\"Page_Button_On_2.gif\" BORDER=0>"), buttons);
        EXPECT_TRUE(index.contains("<img SRC=\"Previous.gif\" ALT=\"Previous 4 Thumbnails\" BORDER=0>"));
        EXPECT_TRUE(page("Img03.html").contains("<img SRC=\"Index.gif\" ALT=\"Index\" BORDER=0>"));
    }
    // Thumbnails beside the pages when the option is off.
    settings.UseThumbsDirectory = false;
    QDir(settings.RotationDirectory).removeRecursively();
    QDir().mkpath(settings.RotationDirectory);
    for (const char* graphic : {"Previous.gif", "Next.gif", "Index.gif"}) dir.write(QString("rot/") + graphic, "gif");
    PageGenerator generator(settings, makeImages(5));
    writeThumbnailsAndButtons(generator);
    ASSERT_EQ(generator.writeImagePages(), PageGenerator::RunResult::Done);
    ASSERT_EQ(generator.writeThumbPages(), PageGenerator::RunResult::Done);
    EXPECT_EQ(testing_support::brokenLinks(settings.RotationDirectory), QStringList());
}

TEST_F(BuilderPages, FailuresAndStops) {
    settings.rdbHTMLImageWindow = true;
    PageGenerator generator(settings, makeImages(3));
    int pages = 0;
    EXPECT_EQ(generator.writeImagePages([&] { return ++pages == 2; }), PageGenerator::RunResult::Stopped);
    EXPECT_EQ(pages, 2);

    settings.ThumbnailTemplate = dir.file("templates/missing.htm");
    EXPECT_EQ(PageGenerator(settings, {"Img01.jpg"}).writeThumbPages(), PageGenerator::RunResult::Failed);
    settings.ThumbnailTemplate = dir.file("templates/thumbs.htm");
    settings.cmbHeader = 2;
    settings.edtheaderfile = dir.file("missing_headers.txt");
    EXPECT_FALSE(PageGenerator(settings, {"Img01.jpg"}).createHTMLThumbpage(dir.file("rot/Index.html"), 1, "", 0));
    settings.cmbHeader = 0;
    EXPECT_FALSE(PageGenerator(settings, {"Img01.jpg"}).createHTMLThumbpage(dir.file("nodir/x/Index.html"), 1, "", 0));
}

}  // namespace
