#include "site_manager/builder/template_filling.h"

#include "site_manager/builder/header_footer.h"
#include "tests/common/temp_data_dir.h"
#include "tests/common/windows_text.h"

#include <gtest/gtest.h>

namespace {

TEST(BuilderTemplateFilling, ReplaceStringFillsTheFirstOccurrenceOnly) {
    EXPECT_EQ(ReplaceString("a ***CONTENT*** b ***CONTENT***", "***CONTENT***", "X"), "a X b ***CONTENT***");
    EXPECT_EQ(ReplaceString("***HEADER***rest", "***HEADER***", "H"), "Hrest");
    EXPECT_EQ(ReplaceString("no marks", "***HEADER***", "H"), "no marks");
    EXPECT_EQ(ReplaceString("***content***", "***CONTENT***", "X"), "***content***");  // case-sensitive
}

TEST(BuilderTemplateFilling, SpliceTextFillsEachPlaceholderInOrder) {
    BuildSettings settings;
    const QString page = splicetext(settings, "***HEADER***|***INDEX***|***CONTENT***|***FOOTER***|***CONTENT***",
                                    "C", true, "F", "H", "I");
    EXPECT_EQ(page, "H|I|C|F|***CONTENT***");
}

TEST(BuilderTemplateFilling, PopupScriptGoesBeforeTheClosingHeadTagForScriptDisplayMethods) {
    BuildSettings settings;
    const QString script =
        "<script language=\"JavaScript\">\r\n<!-- \r\nfunction openWin(url,name) \r\n{\r\n"
        "   popupWin = window.open(url, name,\"resizable=yes,scrollbars=yes\");\r\n}\r\n// -->\r\n</script>\r\n";
    EXPECT_EQ(popupScript(), script);

    settings.cmbImageDisplayMethod = NewWindowScript;
    EXPECT_EQ(splicetext(settings, "<Head></Head>***CONTENT***", "C", true, "", "", ""),
              "<Head>" + script + "</Head>C");
    EXPECT_EQ(splicetext(settings, "<head></head></HEAD>***CONTENT***", "C", true, "", "", ""),
              "<head></head>" + script + "</HEAD>C");
    settings.cmbImageDisplayMethod = SecondWindowScript;
    EXPECT_EQ(splicetext(settings, "<head></head>***CONTENT***", "C", true, "", "", ""),
              "<head>" + script + "</head>C");
    // Without a closing head tag the script stands at the start of the content.
    EXPECT_EQ(splicetext(settings, "<body>***CONTENT***</body>", "C", true, "", "", ""),
              "<body>" + script + "C</body>");
    // Image pages never get the script; nor do the plain display methods.
    EXPECT_EQ(splicetext(settings, "</head>***CONTENT***", "C", false, "", "", ""), "</head>C");
    settings.cmbImageDisplayMethod = NewWindow;
    EXPECT_EQ(splicetext(settings, "</head>***CONTENT***", "C", true, "", "", ""), "</head>C");
}

TEST(BuilderTemplateFilling, PagesAreWrittenWithCrLfLineEnds) {
    testing_support::TempDataDir dir;
    const QString templ = dir.write("t.htm", "<html>\n<body>\r\n***CONTENT***\r</body>");
    const QString text = splicetext(BuildSettings(), loadTemplate(templ), "a\r\nb", false, "", "", "");
    writePage(dir.file("out.htm"), text);
    EXPECT_EQ(dir.read("out.htm"), QByteArray("<html>\r\n<body>\r\na\r\nb\r\n</body>\r\n"));
    EXPECT_THROW(loadTemplate(dir.file("missing.htm")), PageBuildError);
    EXPECT_THROW(writePage(dir.file("no/such/dir/out.htm"), "x"), PageBuildError);
}

}  // namespace

namespace {

// A page is written in the encoding its template was read in; what that encoding cannot hold
// becomes a numeric character reference, never "?".
TEST(BuilderTemplateFilling, PagesKeepTheEncodingOfTheirTemplates) {
    using testing_support::windowsFile;
    const QString content = QString::fromUtf8("Crème ’ → 😀");
    const struct {
        const char* label;
        QByteArray templateBytes, page;
    } rows[] = {
        {"Windows-1252", "Caf\xe9 Tom\x92s \x80 ***CONTENT***",
         "Caf\xe9 Tom\x92s \x80 Cr\xe8me \x92 &#8594; &#128512;\r\n"},
        {"UTF-8", "Caf\xc3\xa9 ***CONTENT***", "Caf\xc3\xa9 " + content.toUtf8() + "\r\n"},
        {"UTF-16 LE", windowsFile("UTF-16LE", QString::fromUtf8("Tom’s ***CONTENT***")),
         windowsFile("UTF-16LE", QString::fromUtf8("Tom’s ") + content + "\r\n")},
    };
    for (const auto& row : rows) {
        testing_support::TempDataDir dir;
        platform::TextEncoding encoding = platform::TextEncoding::Utf8;
        const QString text = loadTemplate(dir.write("t.htm", row.templateBytes), &encoding);
        writePage(dir.file("page.htm"), ReplaceString(text, "***CONTENT***", content), encoding);
        EXPECT_EQ(dir.read("page.htm"), row.page) << row.label;
    }
}

TEST(BuilderTemplateFilling, LowerCaseOptionLowersTheTemplatesOwnLocalReferences) {
    BuildSettings settings;
    settings.ForceLowercase = true;
    const QString page = splicetext(settings,
                                    "<link HREF=\"Gallery.CSS\"><body BACKGROUND = \"Images/Paper.GIF\">"
                                    "<a href=\"HTTP://Example.COM/A\">x</a><a href=\"#Top\">t</a>"
                                    "<img src=\"mailto:Me@X.org\">***CONTENT***",
                                    "<img src=\"Content.JPG\">", false, "", "", "");
    EXPECT_EQ(page, "<link HREF=\"gallery.css\"><body BACKGROUND = \"images/paper.gif\">"
                    "<a href=\"HTTP://Example.COM/A\">x</a><a href=\"#Top\">t</a>"
                    "<img src=\"mailto:Me@X.org\"><img src=\"Content.JPG\">");
}

}  // namespace
