#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/site_paths.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::TempDataDir;

class ComplianceTest : public ::testing::Test {
protected:
    void SetUp() override { initDataDirectory(); }
    QStringList warnings() const { return dialog.memWarnings->toPlainText().split('\n', Qt::SkipEmptyParts); }
    TempDataDir data;
    TdlgStyle dialog;
};

TEST_F(ComplianceTest, AllFourPlaceholdersFoundAndNoWarning) {
    const QString file = data.write("styles/full.htm",
                                    "<html><body>***HEADER***\r\n***INDEX***\r\n***CONTENT***\r\n***FOOTER***</body></html>");
    EXPECT_TRUE(dialog.TestCompliancy(file, true));
    for (QLabel* result : {dialog.lblcontentres, dialog.lblIndexres, dialog.lblHeaderres, dialog.lblFooterres})
        EXPECT_EQ(result->text(), "- Found");
    EXPECT_TRUE(warnings().isEmpty());
    EXPECT_TRUE(TemplateFeatures.Thumbnail.Index && TemplateFeatures.Thumbnail.Header && TemplateFeatures.Thumbnail.Footer);
    EXPECT_EQ(dialog.lblinform->text(), "(This text indicates where the Thumbnail grid should be inserted)");
    MessageScript script;  // OK without warnings asks nothing
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), platform::mrOk);
}

TEST_F(ComplianceTest, MissingContentIsWarnedAndOnlyItsFlagSetIsChanged) {
    TemplateFeatures.Thumbnail = {true, true, true, true};
    const QString file = data.write("img.htm", "<html>***INDEX***</html>");
    EXPECT_FALSE(dialog.TestCompliancy(file, false));
    EXPECT_EQ(dialog.lblcontentres->text(), "- NOT FOUND!");
    EXPECT_EQ(dialog.lblIndexres->text(), "- Found");
    ASSERT_EQ(warnings().size(), 1);
    EXPECT_TRUE(warnings()[0].startsWith("* The text, ***CONTENT***, could not be located in your HTML file."));
    EXPECT_FALSE(TemplateFeatures.Image.Content);
    EXPECT_TRUE(TemplateFeatures.Image.Index);
    EXPECT_TRUE(TemplateFeatures.Thumbnail.Content);  // the other template's flags are untouched
}

TEST_F(ComplianceTest, ListsLocalReferencesAndWarnsAboutMissingOnes) {
    data.write("styles/paper.gif", "GIF89a");
    data.write("styles/gallery.css", "body{}");
    data.write("styles/pics/logo.png", "png");
    const QString file = data.write(
        "styles/t.htm",
        "<head><LINK rel=\"stylesheet\" HREF=\"Gallery.css\"><link rel=\"icon\"></head>"
        "<BODY BACKGROUND=\"Paper.GIF\"><table background=\"second.gif\">***CONTENT***"
        "<img src=\"pics/logo.png\"><img src=\"http://example.com/x.gif\"><IMG SRC=\"pics/a.jpg\">"
        "<img src='single.gif'><img src=noquote.gif></table></BODY>");
    EXPECT_TRUE(dialog.TestCompliancy(file, true));
    // Each reference as the template spells it; found whatever the case of the file's name.
    EXPECT_EQ(dialog.requiredFiles(), (QStringList{"Paper.GIF", "pics/logo.png", "pics/a.jpg", "Gallery.css"}));
    ASSERT_EQ(warnings().size(), 1);
    EXPECT_EQ(warnings()[0], "* The file, pics/a.jpg, could not be located in the directory, " + data.path() + "styles/");

    MessageScript script;
    script.answer(MessageResult::No);
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(script.lastText(),
              "Some warning were raised while testing this HTML file for compliancy.  Are you sure you want to use it?");
    EXPECT_TRUE(dialog.isVisible() || dialog.result() != platform::mrOk);
    script.answer(MessageResult::Yes);
    QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
    EXPECT_EQ(dialog.result(), platform::mrOk);
}

TEST_F(ComplianceTest, UnreadableTemplateGivesOnlyTheLoadingWarning) {
    TemplateFeatures.Thumbnail = {true, false, true, false};
    EXPECT_FALSE(dialog.TestCompliancy(data.file("missing.htm"), true));
    EXPECT_EQ(warnings(), QStringList{"* Error encountered loading the HTML file, " + data.file("missing.htm")});
    EXPECT_TRUE(TemplateFeatures.Thumbnail.Content);  // flags stay as they were
    EXPECT_TRUE(TemplateFeatures.Thumbnail.Header);
}

TEST_F(ComplianceTest, ReferencesMustBeShorterThan255Characters) {
    const QString shorter(254, 'a'), limit(255, 'a');
    EXPECT_TRUE(dialog.GenerateRequiredFilesList("<img src=\"" + shorter + "\">***CONTENT***"));
    EXPECT_EQ(dialog.requiredFiles(), QStringList{shorter});
    EXPECT_FALSE(dialog.GenerateRequiredFilesList("<img src=\"" + limit + "\">***CONTENT***"));
    EXPECT_FALSE(dialog.GenerateRequiredFilesList("<link href=\"" + limit + "\">***CONTENT***"));
}
