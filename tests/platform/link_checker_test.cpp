#include "tests/common/link_checker.h"
#include "tests/common/temp_data_dir.h"

#include <gtest/gtest.h>

using namespace testing_support;

TEST(LinkChecker, FindsEveryBrokenLocalReference) {
    TempDataDir dir;
    dir.write("site/a.jpg", "x");
    dir.write("site/thumbs/a_thb.jpg", "x");
    dir.write("site/Index.html",
              "<a href=\"a.jpg\"><img SRC=\"./thumbs/a_thb.jpg\"></a><a href=\"missing.html\">x</a>"
              "<a href=\"http://example.com/\">y</a><a href=\"javascript:openWin('gone.jpg','w');\">z</a>"
              "<a href=\"a.jpg\" Target=\"_blank\">w</a>");
    EXPECT_EQ(brokenLinks(dir.file("site")),
              (QStringList{"Index.html: missing.html", "Index.html: javascript:openWin('gone.jpg','w');"}));
    EXPECT_EQ(localTarget("javascript:openWin('b.html','');"), "b.html");
    EXPECT_EQ(localTarget("mailto:x@y"), "");
}

TEST(LinkChecker, FindsScriptsThatWouldNotRun) {
    const struct {
        const char* script;
        bool wellFormed;
    } cases[] = {
        {"openWin('tom%27s.html','show_tom_s_window');", true},
        {"openWin('tom\\'s.html','');", true},
        {"<!-- \r\nfunction openWin(url,name) {\r\n popupWin = window.open(url, name,\"a=b\");\r\n}\r\n// -->\r\n", true},
        {"openWin('tom's.html','');", false},   // the name's apostrophe ends the string
        {"openWin('a.html','\");", false},
        {"openWin('a.html'", false},
        {"openWin('a\r\n.html')", false},
    };
    for (const auto& c : cases) EXPECT_EQ(scriptWellFormed(c.script), c.wellFormed) << c.script;

    TempDataDir dir;
    dir.write("site/Index.html",
              "<script>\r\nfunction openWin(url,name) { window.open(url, name, \"x\"); }\r\n</script>"
              "<a href=\"javascript:openWin('tom%2527s.html','');\">a</a>"
              "<a href=\"javascript:openWin('tom%27s.html','');\">b</a>");
    // Percent-decoded as a browser does before running it, the second link's apostrophe is bare.
    EXPECT_EQ(malformedScripts(dir.file("site")), QStringList{"Index.html: openWin('tom's.html','');"});
}
