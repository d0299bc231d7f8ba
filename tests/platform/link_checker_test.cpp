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
