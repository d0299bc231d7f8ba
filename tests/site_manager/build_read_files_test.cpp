// A build never writes a page over a file it reads: a page that would replace a template or header
// list stops the build before anything is written, whatever link leads from one to the other. A
// name that differs only in case is another file and builds.
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QImage>
#include <QRadioButton>
#include <QSpinBox>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

const QByteArray Template = "<html><body>***HEADER***<hr>***CONTENT***</body></html>\r\n";

// Paths relative to the data directory; "R/" is the rotation's folder and "linked" a link to it.
struct Row {
    const char* name;
    const char* page;       // the page refused; none for a build that goes on
    const char* kept;       // the user's file, which the build must leave as it is; a page elsewhere links to it
    const char* thumbnail;  // the settings as typed
    const char* image;      // image pages when set
    const char* header;     // headers from a list when set
    const char* kind;       // the kind of the file the refusal names, and its path as typed
    const char* named;
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.name; }

const Row Rows[] = {
    {"TemplateIsTheFirstPage", "R/Index.html", "R/Index.html", "R/Index.html", "", "", "template", "R/Index.html"},
    {"ImagePageIsALinkToTheTemplate", "R/a.html", "Styles/mine.htm", "Styles/plain.htm", "Styles/mine.htm", "",
     "template", "Styles/mine.htm"},
    {"TemplateSpelledThroughALinkedFolder", "R/Index.html", "R/Index.html", "linked/Index.html", "", "", "template",
     "linked/Index.html"},
    {"HeaderListIsTheSecondPage", "R/Index2.html", "R/Index2.html", "Styles/plain.htm", "", "R/Index2.html",
     "header list", "R/Index2.html"},
    {"TemplateNamedInAnotherCaseBuilds", "", "R/index.html", "R/index.html", "", "", "", ""},
};

class BuildReadFilesTest : public MainWindowTest, public ::testing::WithParamInterface<Row> {};

TEST_P(BuildReadFilesTest, APageNeverReplacesAFileTheBuildReads) {
    const Row& row = GetParam();
    const auto at = [](const QString& p) { return p.startsWith("R/") ? "site/Rotation_1/" + p.mid(2) : p; };
    const auto typed = [&](const char* p) { return *p ? data.file(at(p)) : QString(); };
    writeGardenSite(true);
    const QString rotation = siteDir + "Rotation_1/";
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        // Three pages of one image each, so that Index2.html is a page too.
        QImage image(160, 120, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) ASSERT_TRUE(image.save(rotation + name, "JPEG"));
        dlgThumbOptions->spnHorzCOunt->setValue(1);
        dlgThumbOptions->spnVertCOunt->setValue(1);
        data.write("Styles/plain.htm", Template);
        data.write(at(row.kept), Template);
        if (*row.page && QString(row.page) != row.kept) {
            ASSERT_TRUE(QFile::link(typed(row.kept), typed(row.page)));
        }
        ASSERT_TRUE(QFile::link(QDir::cleanPath(rotation), data.file("linked")));
        editor.cmbstyle->setCurrentText(typed(row.thumbnail));
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(*row.image);
        dlgThumbOptions->cmbimagestyle->setCurrentText(typed(row.image));
        if (*row.header) {
            editor.cmbHeader->setCurrentIndex(2);
            editor.edtheaderfile->setText(typed(row.header));
        }
        const bool refused = *row.page;
        const QStringList before = QDir(rotation).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
        const int statusBefore = CurrentRotationStatus;

        buildInEditor(script, editor, refused ? MessageResult::OK : MessageResult::No, {},
                      [&](TdlgBuildProgress& build) {
                          if (!refused) return;
                          EXPECT_EQ(build.result(), 0);  // the dialog stays open
                          build.BitBtn2Click();
                      });
        EXPECT_EQ(data.read(at(row.kept)), Template);
        if (refused) {
            EXPECT_EQ(script.texts(), QStringList{"Error encountered creating the page, " + typed(row.page) +
                                                  ".  It would replace the " + row.kind + ", " + typed(row.named) +
                                                  ".  Building will terminate!"});
            EXPECT_EQ(QDir(rotation).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), before);
            EXPECT_EQ(CurrentRotationStatus, statusBefore);
        } else {
            EXPECT_EQ(script.texts(), QStringList{"Your build has been completed.  Would you like to preview it now?"});
            EXPECT_TRUE(data.read(at("R/Index.html")).contains("a_thb.jpg"));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Rows, BuildReadFilesTest, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.name); });

}  // namespace
