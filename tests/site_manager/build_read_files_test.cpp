// A build never writes a page over a file it reads: a template, header list and the like kept in
// the rotation under a page's name stops the build before anything is written, whatever spelling
// or link leads to it. A name that differs only in case is another file and builds.
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

const QByteArray ThumbnailTemplate = "<html><body>***HEADER***<hr>***CONTENT***</body></html>\r\n";
const QByteArray ImageTemplate = "<html><body>***CONTENT***</body></html>\r\n";
const QByteArray HeaderList = "<p>Header</p>\r\n";

// The files a row lays out and the settings that name them, as the user typed them.
struct Layout {
    QString ThumbnailTemplate;
    QString ImageTemplate;  // image pages are made when set
    QString HeaderList;     // headers from a list when set
    QString Guarded;        // the real file the build must leave as it is
    QByteArray GuardedBytes;
    // The refusal expected: the page and the file named in it; none for a build that goes on.
    QString Page, Kind, Read;
};

struct Row {
    const char* Name;
    std::function<Layout(const QString& data, const QString& rotation)> Lay;  // both ending in "/"
};

void PrintTo(const Row& row, std::ostream* out) { *out << row.Name; }

QString write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size()) ADD_FAILURE() << path.toStdString();
    return path;
}

void link(const QString& target, const QString& path) {
    if (!QFile::link(target, path)) ADD_FAILURE() << path.toStdString();
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Every file and folder under dir, relative to it, links as they are.
QStringList namesUnder(const QString& dir) {
    QStringList names;
    QDirIterator it(dir, QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(dir).relativeFilePath(it.next());
    names.sort();
    return names;
}

const Row Rows[] = {
    {"TemplateIsTheFirstPage",
     [](const QString&, const QString& rotation) {
         const QString page = write(rotation + "Index.html", ThumbnailTemplate);
         return Layout{page, {}, {}, page, ThumbnailTemplate, page, "template", page};
     }},
    {"TemplateIsAnImagePage",
     [](const QString& data, const QString& rotation) {
         const QString thumbnail = write(data + "Styles/plain.htm", ThumbnailTemplate);
         const QString page = write(rotation + "a.html", ImageTemplate);
         return Layout{thumbnail, page, {}, page, ImageTemplate, page, "template", page};
     }},
    {"TemplateSpelledThroughDot",
     [](const QString&, const QString& rotation) {
         const QString page = write(rotation + "Index.html", ThumbnailTemplate);
         const QString typed = rotation + "./Index.html";
         return Layout{typed, {}, {}, page, ThumbnailTemplate, page, "template", typed};
     }},
    {"TemplateSpelledThroughALinkedFolder",
     [](const QString& data, const QString& rotation) {
         const QString page = write(rotation + "Index.html", ThumbnailTemplate);
         link(QDir::cleanPath(rotation), data + "linked");
         const QString typed = data + "linked/Index.html";
         return Layout{typed, {}, {}, page, ThumbnailTemplate, page, "template", typed};
     }},
    {"FirstPageIsALinkToTheTemplate",
     [](const QString& data, const QString& rotation) {
         const QString kept = write(data + "Styles/mine.htm", ThumbnailTemplate);
         const QString page = rotation + "Index.html";
         link(kept, page);
         return Layout{kept, {}, {}, kept, ThumbnailTemplate, page, "template", kept};
     }},
    {"HeaderListIsTheSecondPage",
     [](const QString& data, const QString& rotation) {
         const QString thumbnail = write(data + "Styles/plain.htm", ThumbnailTemplate);
         const QString page = write(rotation + "Index2.html", HeaderList);
         return Layout{thumbnail, {}, page, page, HeaderList, page, "header list", page};
     }},
    {"TemplateNamedInAnotherCaseBuilds",
     [](const QString&, const QString& rotation) {
         const QString kept = write(rotation + "index.html", ThumbnailTemplate);
         return Layout{kept, {}, {}, kept, ThumbnailTemplate, {}, {}, {}};
     }},
};

class BuildReadFilesTest : public MainWindowTest, public ::testing::WithParamInterface<Row> {};

TEST_P(BuildReadFilesTest, APageNeverReplacesAFileTheBuildReads) {
    writeGardenSite(true);
    const QString rotationDir = siteDir + "Rotation_1/";
    startWithGardenSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        // Three pages of one image each, so that Index2.html is a page too.
        for (const char* name : {"a.jpg", "b.jpg", "c.jpg"}) {
            QImage image(160, 120, QImage::Format_RGB32);
            image.fill(QColor(40, 120, 200));
            ASSERT_TRUE(image.save(rotationDir + name, "JPEG"));
        }
        dlgThumbOptions->spnHorzCOunt->setValue(1);
        dlgThumbOptions->spnVertCOunt->setValue(1);
        const Layout layout = GetParam().Lay(data.path(), rotationDir);
        editor.cmbstyle->setCurrentText(layout.ThumbnailTemplate);
        dlgThumbOptions->rdbHTMLImageWindow->setChecked(!layout.ImageTemplate.isEmpty());
        dlgThumbOptions->cmbimagestyle->setCurrentText(layout.ImageTemplate);
        if (!layout.HeaderList.isEmpty()) {
            editor.cmbHeader->setCurrentIndex(2);
            editor.edtheaderfile->setText(layout.HeaderList);
        }
        const bool refused = !layout.Page.isEmpty();
        const QStringList before = namesUnder(rotationDir);
        const int statusBefore = CurrentRotationStatus;

        script.onDialog([&](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgBuildProgress&>(d);
            dialog.show();
            script.answer(refused ? MessageResult::OK : MessageResult::No);
            dialog.btnokClick();
            if (refused) {
                EXPECT_EQ(dialog.result(), 0);  // the dialog stays open
                dialog.BitBtn2Click();
            }
            dialog.hide();
            return dialog.result();
        });
        editor.btnbuildClick(editor.btnbuild);

        EXPECT_EQ(bytesOf(layout.Guarded), layout.GuardedBytes);
        if (refused) {
            EXPECT_EQ(script.texts(),
                      QStringList{"Error encountered creating the page, " + layout.Page + ".  It would replace the " +
                                  layout.Kind + ", " + layout.Read + ".  Building will terminate!"});
            EXPECT_EQ(namesUnder(rotationDir), before);
            EXPECT_EQ(CurrentRotationStatus, statusBefore);
        } else {
            EXPECT_EQ(script.texts(), QStringList{"Your build has been completed.  Would you like to preview it now?"});
            EXPECT_TRUE(bytesOf(rotationDir + "Index.html").contains("a_thb.jpg"));
            EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/c_thb.jpg"));
        }
    });
}

INSTANTIATE_TEST_SUITE_P(Rows, BuildReadFilesTest, ::testing::ValuesIn(Rows),
                         [](const ::testing::TestParamInfo<Row>& info) { return std::string(info.param.Name); });

}  // namespace
