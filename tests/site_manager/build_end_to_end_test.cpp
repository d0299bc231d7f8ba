// A whole build driven as a user would: a site with one rotation of 25 images, the sample
// templates, header and footer lists, a description file and navigation graphics; Build! in the
// site editor, Start in the build dialog. The rotation directory must then hold exactly the built
// layout and every link of every page must resolve.
#include "components/file_list_box.h"
#include "imaging/pixel_graphic.h"
#include "platform/file_replacement.h"
#include "platform/ini_file.h"
#include "platform/shell_open.h"
#include "site_manager/add_images_dialog.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/page_names.h"
#include "tests/common/link_checker.h"
#include "tests/common/exif_test_support.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QDirIterator>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSet>
#include <QUrl>
#include <QFileInfo>
#include <QImage>
#include <QInputDialog>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTest>
#include <functional>

#include <map>
#include <sys/stat.h>
#include <unistd.h>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

const QString Preview = "Your build has been completed.  Would you like to preview it now?";

QString sourceData(const QString& relative) { return qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/" + relative; }

class BuildEndToEndTest : public MainWindowTest {
protected:
    // Site_1 in <data>/site with multiple rotations on, and the shipped templates and navigation
    // graphics in the data directory.
    void startWithSite(const QString& options = QString()) {
        writeGardenSite(true);
        if (!options.isEmpty()) data.write("options.ini", ("[Options]\r\nUseRotations=True\r\n" + options).toUtf8());
        rotationDir = siteDir + "Rotation_1/";
        for (const QString& folder : {QString("Styles"), QString("navgraph")}) {
            QDir().mkpath(data.path() + folder);
            for (const QString& name : QDir(sourceData(folder)).entryList(QDir::Files))
                ASSERT_TRUE(QFile::copy(sourceData(folder) + "/" + name, data.path() + folder + "/" + name)) << name.toStdString();
        }
        startWithGardenSite();
    }

    // The program started again over options.ini with these options and an empty rotation.
    void restartWithOptions(const QString& options) {
        stopProgram();
        data.write("options.ini", ("[Options]\r\nUseRotations=True\r\n" + options).toUtf8());
        QDir(rotationDir).removeRecursively();
        ASSERT_TRUE(QDir().mkpath(rotationDir));
        startWithGardenSite();
    }

    QStringList filesIn(const QString& dir) const {
        QStringList names = QDir(dir).entryList(QDir::Files);
        names.sort(Qt::CaseInsensitive);
        return names;
    }

    // Header and footer lists from the given files.
    void useLists(TdlgEditSite& editor, const QString& headers, const QString& footers) {
        editor.cmbHeader->setCurrentIndex(2);
        editor.edtheaderfile->setText(headers);
        editor.cmbFooter->setCurrentIndex(2);
        editor.edtfooterfile->setText(footers);
    }

    // startWithSite, with the add-images dialog that the editor's "Select Images" opens.
    void startWithSiteAndAddImages() {
        startWithSite();
        addImages = std::make_unique<TdlgAddImages>();
        dlgAddImages = addImages.get();
    }

    void TearDown() override {
        dlgAddImages = nullptr;
        addImages.reset();
        MainWindowTest::TearDown();
    }

    // Opens the add-images dialog from the editor, runs the body on it and closes it.
    void inAddImages(MessageScript& script, TdlgEditSite& editor, const std::function<void(TdlgAddImages&)>& body) {
        script.onDialog([&body](QDialog& d) {
            auto& dialog = dynamic_cast<TdlgAddImages&>(d);
            body(dialog);
            QTest::mouseClick(dialog.BitBtn1, Qt::LeftButton);
            return dialog.result();
        });
        QTest::mouseClick(editor.btnAddFiles, Qt::LeftButton);
    }

    QString rotationDir;
    std::unique_ptr<TdlgAddImages> addImages;
};

void writeJpeg(const QString& path, int width, int height, QColor colour) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(colour);
    ASSERT_TRUE(image.save(path, "JPEG", 85));
}

// A 256-colour GIF written by the imaging library.
void writeGif(const QString& path, int width, int height) {
    TPixelGraphic gif;
    gif.SetSize(width, height, PixelFormat8Bit);
    gif.SetPaletteIdent(pSpecial252);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            gif.SetPixel(x, y, uint32_t(gif.NearestColorIndex(pgRGB(uint8_t(x), uint8_t(y), 128))));
    gif.SaveToFile(path);
}

// "page: placeholder" for every ***NAME*** left in a built page under dir.
QStringList placeholdersLeft(const QString& dir) {
    static const QRegularExpression placeholder(R"(\*\*\*[A-Z]+\*\*\*)");
    QStringList left;
    QDirIterator pages(dir, {"*.htm", "*.html"}, QDir::Files, QDirIterator::Subdirectories);
    while (pages.hasNext()) {
        const QString page = pages.next();
        QFile file(page);
        if (!file.open(QIODevice::ReadOnly)) continue;
        const QString html = QString::fromLatin1(file.readAll());
        for (auto it = placeholder.globalMatch(html); it.hasNext();) left << QFileInfo(page).fileName() + ": " + it.next().captured();
    }
    return left;
}

// Every file and folder name under dir, relative to it.
QStringList namesUnder(const QString& dir) {
    QStringList names;
    QDirIterator it(dir, QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDirIterator::Subdirectories);
    while (it.hasNext()) names << QDir(dir).relativeFilePath(it.next());
    names.sort();
    return names;
}

QString readPage(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

}  // namespace

TEST_F(BuildEndToEndTest, TwentyFiveImagesBuildIntoTheFullLayoutWithEveryLinkResolving) {
    startWithSite();
    const QString headers = data.write("lists/headers.txt", "<p>Header A</p>\r\n<p>Header B</p>\r\n");
    const QString footers = data.write("lists/footers.txt", "<p>Footer only</p>\r\n");
    const QString descriptions = data.write("lists/descriptions.txt", "img01.jpg,Sunset over the bay\r\n"
                                                                        "picture.gif,Drawn by hand\r\n");
    QStringList images;
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        ASSERT_TRUE(QFileInfo(rotationDir).isDir());
        for (int i = 1; i <= 24; ++i) {
            const QString name = QString("img%1.jpg").arg(i, 2, 10, QChar('0'));
            // Landscape, portrait and one smaller than the thumbnail box.
            const QSize size = i == 7 ? QSize(60, 40) : (i % 2 ? QSize(320, 200) : QSize(180, 300));
            writeJpeg(rotationDir + name, size.width(), size.height(), QColor::fromHsv(i * 14, 200, 200));
            images << name;
        }
        writeGif(rotationDir + "picture.gif", 200, 150);
        images << "picture.gif";

        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        useLists(editor, headers, footers);

        TdlgThumbOptions& o = *dlgThumbOptions;
        o.SpnThumbW->setValue(100);
        o.SpnThumbH->setValue(80);
        o.spnHorzCOunt->setValue(5);
        o.spnVertCOunt->setValue(4);
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        useShippedButtons(o);
        o.rdbshowdescription->setChecked(true);
        o.edtdescripfile->setText(descriptions);
        o.edtpagenumberprefix->setText(QString());

        buildInEditor(
            script, editor, MessageResult::No,
            [&](TdlgBuildProgress& build) {
                QStringList listed;
                for (int i = 0; i < build.lbximages->count(); ++i) listed << build.lbximages->item(i)->text();
                EXPECT_EQ(listed, images);
            },
            [](TdlgBuildProgress& build) { EXPECT_EQ(build.result(), platform::mrOk); });
        // The temporary ini form of the description file is gone again.
        EXPECT_FALSE(QFileInfo::exists(data.path() + "lists/~descriptions.ini"));
        EXPECT_EQ(script.texts(), QStringList{Preview});
        EXPECT_EQ(CurrentRotationStatus, 2);
        EXPECT_EQ(dlgThumbOptions->edtpagenumberprefix->text(), "Page ");
    });
    EXPECT_EQ(platform::IniFile(data.file("Site_1.ini")).readString("Rotation_1", "Status", ""), "2");

    // Exactly the built layout: images, their display pages, two thumbnail pages, the support files
    // and the page buttons; the thumbnails in thumbs/.
    QStringList expected = images;
    for (const QString& image : images) expected << QFileInfo(image).completeBaseName() + ".html";
    expected << "Index.html" << "Index2.html" << "gallery.css" << "Previous.gif" << "Next.gif" << "Index.gif"
             << "Page_Button_On_1.gif" << "Page_Button_On_2.gif" << "Page_Button_1.gif" << "Page_Button_2.gif";
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(filesIn(rotationDir), expected);
    QStringList thumbs;
    for (const QString& image : images) thumbs << QFileInfo(image).completeBaseName() + "_thb.jpg";
    thumbs.sort(Qt::CaseInsensitive);
    EXPECT_EQ(filesIn(rotationDir + "thumbs"), thumbs);
    EXPECT_EQ(QDir(rotationDir).entryList(QDir::Dirs | QDir::NoDotAndDotDot), QStringList{"thumbs"});

    EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());

    // 5 x 4 grid: 20 thumbnails on the first page, 5 on the second.
    const QString page1 = readPage(rotationDir + "Index.html");
    const QString page2 = readPage(rotationDir + "Index2.html");
    EXPECT_EQ(page1.count("_thb.jpg"), 20);
    EXPECT_EQ(page2.count("_thb.jpg"), 5);
    EXPECT_TRUE(page1.contains("./thumbs/img01_thb.jpg"));
    EXPECT_TRUE(page2.contains("./thumbs/picture_thb.jpg"));
    EXPECT_EQ(page1.count("<tr ALIGN=CENTER VALIGN=BOTTOM>"), 4);
    // Thumbnail pages take the list entries from the first, whatever the image pages used.
    for (const char* text : {"Header A", "Footer only", "Sunset over the bay"}) EXPECT_TRUE(page1.contains(text)) << text;
    for (const char* text : {"Header B", "Drawn by hand"}) EXPECT_TRUE(page2.contains(text)) << text;
    // The index shows the buttons: the current page as a plain image, the other linked.
    EXPECT_TRUE(page1.contains("Page_Button_On_1.gif"));
    EXPECT_TRUE(page1.contains("<A HREF=\"Index2.html\"><IMG SRC=\"Page_Button_2.gif\""));
    // An image display page holds its image and the custom navigation graphics.
    const QString imagePage = readPage(rotationDir + "img03.html");
    EXPECT_TRUE(imagePage.contains("img03.jpg"));
    EXPECT_TRUE(imagePage.contains("Next.gif"));

    // Every thumbnail is a JPEG that fits the 100 x 80 box; larger images fill it on one side.
    for (const QString& image : images) {
        const QString thumbPath = rotationDir + "thumbs/" + QFileInfo(image).completeBaseName() + "_thb.jpg";
        QFile file(thumbPath);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << image.toStdString();
        EXPECT_TRUE(file.read(2) == QByteArray("\xFF\xD8", 2)) << image.toStdString();
        const QImage thumb(thumbPath);
        EXPECT_LE(thumb.width(), 100) << image.toStdString();
        EXPECT_LE(thumb.height(), 80) << image.toStdString();
        if (image == "img07.jpg")
            EXPECT_EQ(thumb.size(), QSize(60, 40));
        else
            EXPECT_TRUE(thumb.width() == 100 || thumb.height() == 80) << image.toStdString();
    }

    // The buttons carry the page label over the style graphic.
    const QImage style(data.path() + "navgraph/Index.gif");
    const QImage button(rotationDir + "Page_Button_2.gif");
    EXPECT_EQ(button.size(), style.size());
    EXPECT_NE(button.convertToFormat(QImage::Format_RGB32), style.convertToFormat(QImage::Format_RGB32));
}

TEST_F(BuildEndToEndTest, ARotationWithoutImagesBuildsTenPagesWithoutThumbnails) {
    startWithSite();
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        script.answer(MessageResult::Yes);  // create a site without thumbnails
        script.onDialog([](QDialog& d) {
            dynamic_cast<QInputDialog&>(d).setTextValue("10");
            return int(QDialog::Accepted);
        });
        buildInEditor(script, editor, MessageResult::No, [](TdlgBuildProgress& build) {
            EXPECT_EQ(build.lbximages->count(), 0);
            EXPECT_TRUE(NoThumbnailMode);
        });
        EXPECT_EQ(script.lastText(), Preview);
    });
    QStringList expected{"gallery.css", "Index.html"};
    for (int n = 2; n <= 10; ++n) expected << "Index" + QString::number(n) + ".html";
    expected.sort(Qt::CaseInsensitive);
    EXPECT_EQ(filesIn(rotationDir), expected);
    EXPECT_FALSE(QFileInfo::exists(rotationDir + "thumbs"));
    EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
    const QString page10 = readPage(rotationDir + "Index10.html");
    EXPECT_FALSE(page10.contains("_thb.jpg"));
    EXPECT_TRUE(page10.contains("Index9.html"));
}

TEST_F(BuildEndToEndTest, EveryShippedSampleTemplateLeavesNoPlaceholderInAnyPage) {
    startWithSite();
    const QString headers = data.write("lists/headers.txt", "<p>Header</p>\r\n");
    const QString footers = data.write("lists/footers.txt", "<p>Footer</p>\r\n");
    const QStringList samples = QDir(sourceData("Styles")).entryList({"*_Index.htm"}, QDir::Files);
    ASSERT_GE(samples.size(), 3);  // the thumbnail templates; Sample_Image_Page.htm is the image page's
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (int i = 1; i <= 7; ++i)
            writeJpeg(rotationDir + QString("pic%1.jpg").arg(i), 200, 150, QColor::fromHsv(i * 40, 200, 200));
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(2);
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        for (const QString& sample : samples) {
            editor.cmbstyle->setCurrentText(data.path() + "Styles/" + sample);
            useLists(editor, headers, footers);
            script.clear();
            buildInEditor(script, editor);
            EXPECT_EQ(script.lastText(), Preview) << sample.toStdString();
            EXPECT_EQ(placeholdersLeft(rotationDir), QStringList()) << sample.toStdString();
            EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList()) << sample.toStdString();
            EXPECT_TRUE(readPage(rotationDir + "Index2.html").contains("Header")) << sample.toStdString();
        }
    });
}

// Phone photos with orientation tags, names with spaces, accents, "#", "%", "?", quotes and
// apostrophes, a Latin-1 template whose assets sit in a sub-folder under names of another case,
// UTF-8 descriptions and the lower-case option; each display method in turn.
TEST_F(BuildEndToEndTest, OddNamesTurnedPhotosAndSubFolderAssetsBuildIntoLowerCaseLinksThatAllResolve) {
    startWithSite("ForceLowercase=True\r\n");
    // The template: Latin-1, its background and banner in images/ under names of another case,
    // one asset outside its folder.
    data.write("Styles/Odd/images/Paper.GIF", QByteArray("GIF89a"));
    data.write("Styles/Odd/images/BANNER.jpg", exif_test::jpegBytes(QImage(40, 10, QImage::Format_RGB32)));
    data.write("Styles/outside.gif", QByteArray("GIF89a"));
    const QString thumbTemplate = data.write(
        "Styles/Odd/Gal\xe9rie.htm",
        QByteArray("<html><head><title>Gal\xe9rie</title></head><body background=\"images/paper.gif\">\r\n"
                   "<img src=\"images/Banner.JPG\"><img src=\"../outside.gif\">\r\n"
                   "***HEADER***<div>***INDEX***</div>***CONTENT***<p>Caf\xe9</p>***FOOTER***</body></html>\r\n"));
    const QString descriptions = data.write("lists/descriptions.txt",
                                            QString::fromUtf8("tom's \"best\"?.jpg,Tom \u2192 best (\u00fc)\r\n").toUtf8());
    QStringList opened;
    platform::setDocumentOpenerForTesting([&](const QString& target) {
        opened << target;
        return true;
    });
    const QStringList names{"Beach Day.JPG", QString::fromUtf8("Caf\u00e9 #1.jpg"), "50% Off.jpg",
                            "Tom's \"Best\"?.jpg", "Phone.jpg", "plain.jpg"};
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const QString& name : names) {
            // Phone.jpg is stored 300 x 200 and shown upright as 200 x 300 by its tag.
            QImage stored(300, 200, QImage::Format_RGB32);
            stored.fill(QColor(30, 90, 160));
            QByteArray jpeg = exif_test::jpegBytes(stored);
            if (name == "Phone.jpg") jpeg = exif_test::withOrientation(jpeg, 6);
            QFile file(rotationDir + name);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(jpeg);
        }
        editor.cmbstyle->setCurrentText(thumbTemplate);
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.SpnThumbW->setValue(90);
        o.SpnThumbH->setValue(90);
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(2);
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        o.chkimagenavigationbar->setChecked(true);
        o.chkmaximagesize->setChecked(true);
        o.spnImageWidth->setValue(1000);
        o.SpnImageHeight->setValue(1000);
        useShippedButtons(o);
        o.rdbshowdescription->setChecked(true);
        o.edtdescripfile->setText(descriptions);
        for (int method = 0; method < o.cmbImageDisplayMethod->count(); ++method) {
            o.cmbImageDisplayMethod->setCurrentIndex(method);
            script.clear();
            int listed = -1;
            const bool last = method == o.cmbImageDisplayMethod->count() - 1;  // the last build is previewed
            buildInEditor(script, editor, last ? MessageResult::Yes : MessageResult::No,
                          [&](TdlgBuildProgress& build) { listed = build.lbximages->count(); });
            ASSERT_EQ(script.lastText(), Preview) << method;
            // Support files never become gallery images, however often the rotation is built.
            EXPECT_EQ(listed, names.size()) << method;
            // Only the reference that leaves the template's folder cannot resolve: its file is
            // copied beside the pages, never above the rotation directory.
            for (const QString& broken : testing_support::brokenLinks(rotationDir))
                EXPECT_TRUE(broken.endsWith(": ../outside.gif")) << method << " " << broken.toStdString();
            EXPECT_EQ(testing_support::malformedScripts(rotationDir), QStringList()) << method;
            EXPECT_FALSE(QFileInfo::exists(siteDir + "outside.gif"));
            EXPECT_EQ(placeholdersLeft(rotationDir), QStringList()) << method;
        }
    });
    platform::setDocumentOpenerForTesting([](const QString&) { return true; });
    // The preview opens the first page under the name it was written with.
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened.first(), rotationDir + "index.html");
    // Everything published carries its lower-case name; the assets keep their sub-folder.
    for (const QString& name : namesUnder(rotationDir)) EXPECT_EQ(name, name.toLower()) << name.toStdString();
    for (const QString& name : {QString("images/paper.gif"), QString("images/banner.jpg"), QString("outside.gif"),
                                QString::fromUtf8("caf\u00e9 #1.jpg"), QString("thumbs/tom's \"best\"?_thb.jpg")})
        EXPECT_TRUE(QFileInfo::exists(rotationDir + name)) << name.toStdString();
    // The turned photo: an upright thumbnail and an image page sized as it is shown.
    EXPECT_EQ(QImage(rotationDir + "thumbs/phone_thb.jpg").size(), QSize(60, 90));
    EXPECT_TRUE(readPage(rotationDir + "phone.html").contains("WIDTH=200 HEIGHT=300"));
    // The Latin-1 template's page stays Latin-1; other characters become references.
    QFile page(rotationDir + "index2.html");  // the last two images
    ASSERT_TRUE(page.open(QIODevice::ReadOnly));
    const QByteArray bytes = page.readAll();
    EXPECT_TRUE(bytes.contains("Caf\xe9"));
    EXPECT_TRUE(bytes.contains("Tom &#8594; best (\xfc)"));
}

// Without the lower-case option every name keeps its case, and with odd names every link of every
// display method resolves and every script runs, whether images are shown alone or on a page.
TEST_F(BuildEndToEndTest, OddNamesKeepTheirCaseAndResolveInEveryDisplayMethod) {
    startWithSite();
    data.write("Styles/Odd/images/BANNER.jpg", exif_test::jpegBytes(QImage(40, 10, QImage::Format_RGB32)));
    const QString thumbTemplate = data.write(
        "Styles/Odd/Gal\xe9rie.htm",
        QByteArray("<html><body><img src=\"images/Banner.JPG\">\r\n"
                   "***HEADER***<div>***INDEX***</div>***CONTENT***<p>Caf\xe9</p>***FOOTER***</body></html>\r\n"));
    const QStringList names{"Beach Day.JPG", QString::fromUtf8("Caf\u00e9 #1.jpg"), "50% Off.jpg",
                            "Tom's \"Best\"?.jpg", "a&b;c.jpg", "x<i>y.jpg"};
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const QString& name : names) writeJpeg(rotationDir + name, 160, 120, QColor(200, 120, 40));
        editor.cmbstyle->setCurrentText(thumbTemplate);
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(1);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        o.chkimagenavigationbar->setChecked(true);
        for (QRadioButton* shown : {o.rdbHTMLImageWindow, o.rdbDisplayasimage}) {
            shown->setChecked(true);
            for (int method = 0; method < o.cmbImageDisplayMethod->count(); ++method) {
                o.cmbImageDisplayMethod->setCurrentIndex(method);
                script.clear();
                buildInEditor(script, editor);
                ASSERT_EQ(script.texts(), QStringList{Preview}) << method;
                EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList()) << method;
                EXPECT_EQ(testing_support::malformedScripts(rotationDir), QStringList()) << method;
                EXPECT_EQ(placeholdersLeft(rotationDir), QStringList()) << method;
            }
        }
    });
    // A name is text on the pages, never markup.
    QString pages;
    for (const QString& page : QDir(rotationDir).entryList({"Index*.html"})) pages += readPage(rotationDir + page);
    EXPECT_FALSE(pages.contains("x<i>y"));
    EXPECT_TRUE(pages.contains("x&lt;i&gt;y"));
    // The template's asset under the name the template uses, in its sub-folder; the build's own
    // files keep the images' case.
    EXPECT_TRUE(QFileInfo::exists(rotationDir + "images/Banner.JPG"));
    for (const QString& name : names) {
        const QString stem = QFileInfo(name).completeBaseName();
        EXPECT_TRUE(QFileInfo::exists(rotationDir + name)) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(rotationDir + "thumbs/" + stem + "_thb.jpg")) << name.toStdString();
        EXPECT_TRUE(QFileInfo::exists(rotationDir + stem + ".html")) << name.toStdString();
    }
}

namespace {

// Every element and attribute of the pages in dir as "tag" and "tag attribute", read as a
// browser reads tags: a name that slipped into markup shows up as one of its own.
QSet<QString> markupOfPages(const QString& dir) {
    static const QRegularExpression tag(R"re(<([A-Za-z][^\s/>]*)([^>]*)>)re");
    static const QRegularExpression attribute(R"re(([^\s"'=/>]+)(?:\s*=\s*(?:"[^"]*"|'[^']*'|[^\s>]+))?)re");
    QSet<QString> markup;
    for (const QString& page : QDir(dir).entryList({"*.html"}, QDir::Files))
        for (auto t = tag.globalMatch(readPage(dir + page)); t.hasNext();) {
            const QRegularExpressionMatch m = t.next();
            const QString name = m.captured(1).toLower();
            markup << name;
            for (auto a = attribute.globalMatch(m.captured(2)); a.hasNext();) markup << name + " " + a.next().captured(1).toLower();
        }
    return markup;
}

// The image an image page at href shows (percent-decoded), and the page its "Next Image" leads to.
std::pair<QString, QString> imageAndNext(const QString& dir, const QString& href) {
    static const QRegularExpression image(R"re(<IMG SRC="([^"]*)")re"), next(R"re(<a href="([^"]*)"><?[^<]*Next Image)re");
    const QString html = readPage(dir + testing_support::localTarget(href));
    return {QUrl::fromPercentEncoding(image.match(html).captured(1).toUtf8()), next.match(html).captured(1)};
}

}  // namespace

// Names built to break out of text or attributes, names holding "\", and a name that asks for the
// gallery's own first page, built with every file name display, every display method and both ways
// of showing an image: no page gains an element or attribute that ordinary names do not give it,
// every link resolves, and every image keeps a display page of its own in the build's order.
TEST_F(BuildEndToEndTest, HostileFileNamesStayTextAndEveryImageKeepsItsOwnPage) {
    startWithSite();
    const QString descriptions = data.write("lists/descriptions.txt", "described.jpg,<em>typed</em> by the user\r\n");
    const QStringList hostile{"<img src=x onerror=document.body.setAttribute('data-pwned','1')>.jpg",
                              "Tom's \"Best\" & <b>bold.jpg", "y\\img.jpg", "z\\img.jpg", "x\\Index.jpg", "Index.jpg",
                              "described.jpg"};
    const QStringList ordinary{"one.jpg", "two.jpg", "three.jpg", "four.jpg", "five.jpg", "six.jpg", "described.jpg"};
    const struct {
        QRadioButton* TdlgThumbOptions::*Names;
        bool Pages;  // image display pages, else the image alone
        int Method;
    } rows[] = {{&TdlgThumbOptions::rdbshowdescription, true, 0},     {&TdlgThumbOptions::rdbshowdescription, true, 2},
                {&TdlgThumbOptions::rdbshowfilenamewithext, true, 1}, {&TdlgThumbOptions::rdbshowfilenamenoext, true, 3},
                {&TdlgThumbOptions::rdbshownothing, true, 0},         {&TdlgThumbOptions::rdbshowdescription, false, 2},
                {&TdlgThumbOptions::rdbshowfilenamenoext, false, 1}};
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(2);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        o.chkimagenavigationbar->setChecked(true);
        o.chkImageHeading->setChecked(true);
        o.chkShowFIlenameWhenNoDesc->setChecked(true);
        o.edtdescripfile->setText(descriptions);
        for (const auto& row : rows) {
            const std::string label = ((o.*row.Names)->text() + QString(" / %1 / %2").arg(row.Pages).arg(row.Method)).toStdString();
            (o.*row.Names)->setChecked(true);
            (row.Pages ? o.rdbHTMLImageWindow : o.rdbDisplayasimage)->setChecked(true);
            o.cmbImageDisplayMethod->setCurrentIndex(row.Method);
            QSet<QString> markup[2];
            for (int hostileNames = 0; hostileNames < 2; ++hostileNames) {
                ASSERT_TRUE(QDir(rotationDir).removeRecursively() && QDir().mkpath(rotationDir));
                for (const QString& name : hostileNames ? hostile : ordinary) writeJpeg(rotationDir + name, 120, 90, Qt::blue);
                editor.FileBox->Update();
                script.clear();
                buildInEditor(script, editor);
                EXPECT_EQ(script.texts(), QStringList{Preview}) << label;
                EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList()) << label;
                EXPECT_EQ(testing_support::malformedScripts(rotationDir), QStringList()) << label;
                markup[hostileNames] = markupOfPages(rotationDir);
            }
            EXPECT_EQ(markup[1].subtract(markup[0]), QSet<QString>()) << label;
            QString all;
            for (const QString& page : QDir(rotationDir).entryList({"*.html"}, QDir::Files)) all += readPage(rotationDir + page);
            EXPECT_FALSE(all.contains("<b>bold") || all.contains("<img src=x")) << label;
            // A typed description stays the user's HTML.
            EXPECT_EQ(all.contains("<em>typed</em> by the user"), row.Names == &TdlgThumbOptions::rdbshowdescription) << label;
            if (!row.Pages) continue;
            for (const char* page : {"y\\img.html", "z\\img.html", "x\\Index.html", "Index.jpg.html"})
                EXPECT_TRUE(QFileInfo::exists(rotationDir + page)) << label << " " << page;
            EXPECT_TRUE(readPage(rotationDir + "Index.html").contains("_thb.jpg")) << label;
            // Next Image from the first thumbnail's page walks every image once, in build order.
            static const QRegularExpression cell(R"re(<td><center><a href="([^"]*)")re");
            QStringList walked;
            for (auto [image, next] = imageAndNext(rotationDir, cell.match(readPage(rotationDir + "Index.html")).captured(1));
                 !image.isEmpty() && walked.size() <= hostile.size(); std::tie(image, next) = imageAndNext(rotationDir, next))
                walked << image;
            EXPECT_EQ(walked, editor.FileBox->fileNames()) << label;
        }
    });
}

// A name that is not UTF-8 cannot be put on a page; the build leaves such images out and says
// which, in one box, while the file itself stays as it was.
TEST_F(BuildEndToEndTest, ImagesWhoseNamesAreNotUtf8AreNamedOnceAsLeftOut) {
    startWithSite();
    const QList<QByteArray> raw{"caf\xe9.jpg", "\xff\xfe photo.gif", "notes\xe9.txt"};  // the text file is no image
    // The data directory is removed through listings that cannot see these names.
    const auto removeRaw = qScopeGuard([&] {
        for (const QByteArray& name : raw) ::unlink((QFile::encodeName(rotationDir) + name).constData());
    });
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        writeJpeg(rotationDir + "fine.jpg", 50, 40, Qt::red);
        for (const QByteArray& name : raw) ASSERT_EQ(::link(QFile::encodeName(rotationDir + "fine.jpg"), QFile::encodeName(rotationDir) + name), 0);
        editor.FileBox->Update();
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        script.answer(MessageResult::OK);
        buildInEditor(script, editor);
    });
    ASSERT_EQ(script.texts().size(), 2);
    EXPECT_EQ(script.requests().front().kind, platform::MessageKind::Information);
    EXPECT_EQ(script.texts().first(), QString::fromUtf8("These images are left out of the gallery because their names are not "
                                                        "valid UTF-8 text:\n\ncaf\xef\xbf\xbd.jpg\n\xef\xbf\xbd\xef\xbf\xbd photo.gif\n\n"
                                                        "Rename them to show them in the gallery."));
    EXPECT_EQ(script.texts().last(), Preview);
    EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
    EXPECT_TRUE(readPage(rotationDir + "Index.html").contains("fine_thb.jpg"));
    struct stat st {};
    EXPECT_EQ(::stat((QFile::encodeName(rotationDir) + raw.first()).constData(), &st), 0);
}

// The build's own files (page buttons, navigation graphics, thumbnails) are never counted or listed
// as images: not in the rotation line after the build, not in the editor's list after a restart.
TEST_F(BuildEndToEndTest, TheBuildsOwnFilesAreNeverCountedOrListedAsImages) {
    startWithSite();
    QStringList photos;
    for (int i = 1; i <= 5; ++i) photos << QString("photo%1.jpg").arg(i);
    const auto rotationLine = [](const TdlgEditSite& editor) { return editor.lbxrotations->item(0)->text(); };
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const QString& photo : photos) writeJpeg(rotationDir + photo, 120, 90, Qt::darkCyan);
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(2);
        o.spnVertCOunt->setValue(1);  // three pages, so three buttons of each kind
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        useShippedButtons(o);
        buildInEditor(script, editor);
        EXPECT_EQ(rotationLine(editor), "Rotation 1 : 5 Images : Built");
    });
    for (const char* built : {"Page_Button_3.gif", "Page_Button_On_1.gif", "Next.gif", "Previous.gif", "Index.gif"})
        EXPECT_TRUE(QFileInfo::exists(rotationDir + built)) << built;

    stopProgram();
    startWithGardenSite();
    inEditor(script, [&](TdlgEditSite& editor) {
        EXPECT_EQ(editor.FileBox->fileNames(), photos);
        EXPECT_EQ(editor.lblfilecount->text(), "5 Images");
        EXPECT_EQ(rotationLine(editor), "Rotation 1 : 5 Images : Built");
    });
}

namespace {

// What a build killed in the middle of a step leaves of one of its files: the bytes written so far
// in the step's temporary file beside the target, never renamed over it. Gives the temporary.
QString leaveAsAKilledBuild(const QString& target, const QByteArray& bytes) {
    platform::FileReplacement file(target, platform::FileReplacement::Sync::Deferred);
    if (!file.open() || !file.write(bytes) || !file.close()) return QString();
    return file.takeTemporary();
}

QByteArray bytesOf(const QString& path) {
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The files under dir that a build or copy leaves while it writes (".~" and twelve hex digits).
QStringList temporariesUnder(const QString& dir) {
    QStringList found;
    for (const QString& name : namesUnder(dir))
        if (QFileInfo(name).fileName().startsWith(".~")) found << name;
    return found;
}

}  // namespace

// A build killed in any step leaves half-written files in the rotation or in thumbs/. The next
// build neither lists, counts, thumbnails, links nor pages them: it asks only its closing question
// and leaves exactly the layout a clean build leaves, without a temporary and without a 14th page.
TEST_F(BuildEndToEndTest, ABuildKilledInAnyStepNeverPoisonsTheNextOne) {
    startWithSite();
    QStringList photos;
    for (int i = 1; i <= 13; ++i) photos << QString("photo%1.jpg").arg(i, 2, 10, QChar('0'));
    const struct {
        const char* Step;
        QStringList Targets;  // in the rotation directory
        const char* BytesOf;  // the built file whose bytes the killed build was writing
        bool Whole;           // all of them, else half
    } killed[] = {
        {"copying the navigation graphics", {"Next.gif", "Previous.gif", "Index.gif"}, "Next.gif", false},
        {"making the page buttons", {"Page_Button_On_13.gif", "Page_Button_13.gif"}, "Page_Button_13.gif", false},
        {"making the thumbnails", {"thumbs/photo01_thb.jpg", "thumbs/photo13_thb.jpg"}, "thumbs/photo13_thb.jpg", true},
        {"writing the image pages", {"photo01.html", "photo13.html"}, "photo13.html", false},
        {"writing the thumbnail pages", {"Index.html", "Index13.html"}, "Index13.html", false},
        {"adding a photo", {"photo14.jpg"}, "photo01.jpg", true},
    };
    const auto rotationLine = [](const TdlgEditSite& editor) { return editor.lbxrotations->item(0)->text(); };
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const QString& photo : photos) writeJpeg(rotationDir + photo, 64, 48, Qt::darkGreen);
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.spnHorzCOunt->setValue(1);
        o.spnVertCOunt->setValue(1);  // one photo a page: any file taken for a photo makes Index14.html
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        useShippedButtons(o);
        buildInEditor(script, editor);
        ASSERT_EQ(script.texts(), QStringList{Preview});
        const QStringList clean = namesUnder(rotationDir);
        ASSERT_TRUE(clean.contains("Index13.html") && clean.contains("Page_Button_13.gif"));
        ASSERT_FALSE(clean.contains("Index14.html"));

        for (const auto& kill : killed) {
            SCOPED_TRACE(kill.Step);
            const QByteArray bytes = bytesOf(rotationDir + kill.BytesOf);
            ASSERT_FALSE(bytes.isEmpty());
            for (const QString& target : kill.Targets) {
                const QString temporary =
                    leaveAsAKilledBuild(rotationDir + target, kill.Whole ? bytes : bytes.left(bytes.size() / 2));
                ASSERT_TRUE(QFileInfo(temporary).fileName().startsWith(".~")) << temporary.toStdString();
            }
            ASSERT_EQ(temporariesUnder(rotationDir).size(), kill.Targets.size());
            // Before any build: neither the image list nor the rotation line takes them for photos.
            editor.FileBox->Update();
            EXPECT_EQ(editor.FileBox->fileNames(), photos);
            EXPECT_EQ(rotationLine(editor), "Rotation 1 : 13 Images : Built");

            script.clear();
            QStringList listed;
            buildInEditor(script, editor, MessageResult::No, [&](TdlgBuildProgress& build) {
                EXPECT_EQ(temporariesUnder(rotationDir), QStringList());  // gone before the images are listed
                for (int i = 0; i < build.lbximages->count(); ++i) listed << build.lbximages->item(i)->text();
            });
            EXPECT_EQ(script.texts(), QStringList{Preview});
            EXPECT_EQ(listed, photos);
            EXPECT_EQ(temporariesUnder(rotationDir), QStringList());
            EXPECT_EQ(namesUnder(rotationDir), clean);
            EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
            EXPECT_EQ(rotationLine(editor), "Rotation 1 : 13 Images : Built");
        }
    });
}

// Each thumbnail file has exactly the size the fitting rule gives the whole photo, also where the
// reduced decode's rounded sides would give a pixel more or less, and the image page's size
// attributes (same box) agree with it.
TEST_F(BuildEndToEndTest, ThumbnailsHaveExactlyTheFittingRulesSize) {
    struct Case {
        QSize photo;
        QSize fitted;  // into 100 x 100
    };
    const Case cases[] = {{{400, 546}, {73, 100}},  {{403, 420}, {95, 100}},  {{403, 519}, {77, 99}},
                          {{410, 409}, {100, 99}},  {{403, 937}, {43, 100}},  {{1203, 805}, {100, 66}},
                          {{805, 1203}, {66, 100}}, {{1601, 1201}, {99, 75}}, {{80, 60}, {80, 60}}};
    startWithSite();
    const auto nameOf = [](QSize size) { return QString("p%1x%2").arg(size.width()).arg(size.height()); };
    MessageScript script;
    inEditor(script, [&](TdlgEditSite& editor) {
        for (const Case& c : cases)
            writeJpeg(rotationDir + nameOf(c.photo) + ".jpg", c.photo.width(), c.photo.height(), Qt::darkYellow);
        editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
        TdlgThumbOptions& o = *dlgThumbOptions;
        o.SpnThumbW->setValue(100);
        o.SpnThumbH->setValue(100);
        o.rdbHTMLImageWindow->setChecked(true);
        o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
        o.chkmaximagesize->setChecked(true);
        o.spnImageWidth->setValue(100);
        o.SpnImageHeight->setValue(100);
        buildInEditor(script, editor);
    });
    for (const Case& c : cases) {
        const QString name = nameOf(c.photo);
        EXPECT_EQ(QImage(rotationDir + "thumbs/" + name + "_thb.jpg").size(), c.fitted) << name.toStdString();
        const QString attributes = QString("WIDTH=%1 HEIGHT=%2").arg(c.fitted.width()).arg(c.fitted.height());
        EXPECT_TRUE(readPage(rotationDir + name + ".html").contains(attributes)) << name.toStdString();
    }
}

// A photo removed in the site editor, in the add-images dialog or behind the program's back takes
// the thumbnail the build made of it along; the user's files near it and the thumbnails of the
// photos that stay are kept.
TEST_F(BuildEndToEndTest, ARemovedPhotoTakesItsThumbnailAlongAndNothingElse) {
    enum class Removal { EditorDeleteKey, AddImagesDeleteKey, FileManagerThenBuild };
    const struct {
        const char* Label;
        Removal How;
        bool ThumbsFolder;
        bool Lowercase;
    } rows[] = {
        {"Delete key in the site editor", Removal::EditorDeleteKey, true, false},
        {"Delete key in the site editor, thumbnails beside the pages", Removal::EditorDeleteKey, false, false},
        {"Delete key in the add-images dialog", Removal::AddImagesDeleteKey, true, false},
        {"removed in a file manager, then built", Removal::FileManagerThenBuild, true, false},
        {"removed in a file manager, then built with lower-case names", Removal::FileManagerThenBuild, true, true},
    };
    startWithSiteAndAddImages();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        restartWithOptions(QString("UseThumbsDirectory=%1\r\nForceLowercase=%2\r\n")
                               .arg(row.ThumbsFolder ? "True" : "False", row.Lowercase ? "True" : "False"));
        // The user's files, none a thumbnail the build made: in thumbs/, and the thumbnail's name
        // where the build does not put thumbnails.
        QStringList thumbs{"gone_THB.JPG", "gone_thb.jpg.bak", "gone_thb.png", "notes.txt"};
        QStringList pages{"keep.jpg", "Sea View.jpg", "gone.jpg"};
        for (const QString& name : thumbs) data.write("site/Rotation_1/thumbs/" + name, "mine");
        data.write(QString("site/Rotation_1/") + (row.ThumbsFolder ? "" : "thumbs/") + "gone_thb.jpg", "mine");
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            for (const QString& photo : pages) writeJpeg(rotationDir + photo, 120, 90, Qt::darkBlue);
            editor.FileBox->Update();
            editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
            buildInEditor(script, editor);
            script.clear();
            const auto deleteGone = [&script](TFileListBox& list) {
                list.clearSelection();
                ASSERT_GE(list.fileNames().indexOf("gone.jpg"), 0);
                list.item(list.fileNames().indexOf("gone.jpg"))->setSelected(true);
                script.answer(MessageResult::Yes);
                QTest::keyClick(&list, Qt::Key_Delete);
                EXPECT_EQ(script.texts(), QStringList{"Are you sure you want to delete the file, gone.jpg?"});
            };
            if (row.How == Removal::EditorDeleteKey) deleteGone(*editor.FileBox);
            if (row.How == Removal::AddImagesDeleteKey)
                inAddImages(script, editor, [&](TdlgAddImages& dialog) { deleteGone(*dialog.FileBox); });
            if (row.How == Removal::FileManagerThenBuild) {
                ASSERT_TRUE(QFile::remove(rotationDir + "gone.jpg"));
                editor.FileBox->Update();
                buildInEditor(script, editor);
                EXPECT_EQ(script.texts(), QStringList{Preview});
            }
        });
        const QString sea = row.Lowercase ? "sea view" : "Sea View";
        pages = QStringList{"keep.jpg", sea + ".jpg", "gallery.css", row.Lowercase ? "index.html" : "Index.html"};
        (row.ThumbsFolder ? thumbs : pages) << "keep_thb.jpg" << sea + "_thb.jpg";
        (row.ThumbsFolder ? pages : thumbs) << "gone_thb.jpg";  // the user's
        thumbs.sort(Qt::CaseInsensitive);
        pages.sort(Qt::CaseInsensitive);
        EXPECT_EQ(filesIn(rotationDir + "thumbs"), thumbs);
        EXPECT_EQ(filesIn(rotationDir), pages);
        if (row.How == Removal::FileManagerThenBuild)
            EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
    }
}

// A photo deleted with the Delete key takes its own display page along, by the name the build
// gives it, when the build writes display pages. Every other file of the rotation stays byte for
// byte: the other photos' pages, the first page, a thumbnail page past the smaller page count and
// the user's files.
TEST_F(BuildEndToEndTest, ADeletedPhotoTakesItsOwnDisplayPageAlongAndNoOtherPage) {
    struct Deletion {
        bool DisplayPages;  // when built just before
        QStringList Photos, PagesGone;
    };
    const struct {
        const char* Label;
        bool InAddImages;  // else in the site editor
        QStringList Photos;
        QString UserFile;
        QList<Deletion> Deletions;
    } rows[] = {
        // clang-format off
        {"one photo", false, {"alpha.jpg", "beta.jpg", "gamma.jpg"}, "", {{true, {"beta.jpg"}, {"beta.html"}}}},
        {"two photos ask for one page", false, {"alpha.jpg", "beta.jpg", "beta.gif"}, "",
         {{true, {"beta.gif"}, {"beta.gif.html"}}}},
        {"two at once, one asking for another's page", true, {"alpha.jpg", "beta.jpg", "beta.gif"}, "",
         {{true, {"alpha.jpg", "beta.gif"}, {"alpha.html", "beta.gif.html"}}}},
        // beta.jpg.jpg has beta.jpg.html, which beta.jpg (no longer clashing with it) is given next.
        {"a page the build gives a remaining photo", true, {"alpha.jpg", "beta.jpg", "beta.gif", "beta.jpg.jpg"}, "",
         {{true, {"alpha.jpg", "beta.jpg.jpg"}, {"alpha.html"}}}},
        {"a photo named like the first page", false, {"Index.jpg", "alpha.jpg", "beta.jpg"}, "",
         {{true, {"Index.jpg"}, {"Index.jpg.html"}}}},
        {"display pages off, then on", false, {"alpha.jpg", "beta.jpg", "gamma.jpg"}, "beta.html",
         {{false, {"beta.jpg"}, {}}, {true, {"gamma.jpg"}, {"gamma.html"}}}},
        // clang-format on
    };
    const auto rotationFiles = [this] {
        std::map<QString, QByteArray> files;
        for (const QString& name : QDir(rotationDir).entryList(QDir::Files)) {
            QFile file(rotationDir + name);
            files[name] = file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("unreadable");
        }
        return files;
    };
    startWithSiteAndAddImages();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        restartWithOptions(QString());
        if (!row.UserFile.isEmpty()) data.write("site/Rotation_1/" + row.UserFile, "mine");
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            for (const QString& photo : row.Photos)
                photo.endsWith(".gif") ? writeGif(rotationDir + photo, 90, 60)
                                       : writeJpeg(rotationDir + photo, 120, 90, Qt::darkGreen);
            editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
            TdlgThumbOptions& o = *dlgThumbOptions;
            o.spnHorzCOunt->setValue(2);
            o.spnVertCOunt->setValue(1);
            o.cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
            for (const Deletion& deletion : row.Deletions) {
                o.rdbHTMLImageWindow->setChecked(deletion.DisplayPages);
                o.rdbDisplayasimage->setChecked(!deletion.DisplayPages);
                editor.FileBox->Update();
                buildInEditor(script, editor);
                script.clear();
                std::map<QString, QByteArray> expected = rotationFiles();
                ASSERT_EQ(expected.count("Index2.html"), 1u);  // past the page count after the deletion
                for (const QString& name : deletion.Photos + deletion.PagesGone)
                    ASSERT_EQ(expected.erase(name), 1u) << name.toStdString();
                const auto deleteSelected = [&](TFileListBox& list) {
                    list.clearSelection();
                    for (const QString& photo : deletion.Photos)
                        if (const int i = list.fileNames().indexOf(photo); i >= 0) list.item(i)->setSelected(true);
                    script.answer(MessageResult::Yes);
                    QTest::keyClick(&list, Qt::Key_Delete);
                };
                if (row.InAddImages)
                    inAddImages(script, editor, [&](TdlgAddImages& dialog) { deleteSelected(*dialog.FileBox); });
                else
                    deleteSelected(*editor.FileBox);
                EXPECT_EQ(script.texts().size(), 1);  // the question, and no warning
                EXPECT_EQ(rotationFiles(), expected);
            }
        });
    }
}

// A photo whose thumbnail or display page would have a name longer than the file system takes
// (255 bytes) is left out of the build with one box naming it; the others are built and no page
// links to it. The photo itself stays.
TEST_F(BuildEndToEndTest, APhotoWhoseOutputNamesAreTooLongIsLeftOutAndTheBuildGoesOn) {
    const struct {
        const char* Label;
        QString Stem;
        QString LeftOut, Kept;  // extensions of the photos of that name; the first in build order goes
        bool ImagePages;
        bool ThumbsFolder;
    } rows[] = {
        {"a 248-byte name with _thb.jpg passes 255 bytes", QString(248, 'p'), ".jpg", "", true, true},
        {"124 two-byte letters, thumbnails beside the pages", QString(124, QChar(0xe9)), ".jpg", "", false, false},
        // Both ask for one display page, so each gets one named after its whole name (256 bytes);
        // with the first left out, the other has its own page again.
        {"two photos of a 247-byte name ask for one page", QString(247, 's'), ".jpe", ".jpg", true, true},
    };
    startWithSite();
    for (const auto& row : rows) {
        SCOPED_TRACE(row.Label);
        restartWithOptions(QString("UseThumbsDirectory=%1\r\n").arg(row.ThumbsFolder ? "True" : "False"));
        const QString leftOut = row.Stem + row.LeftOut;
        MessageScript script;
        inEditor(script, [&](TdlgEditSite& editor) {
            for (const QString& name : {QString("alpha.jpg"), QString("beta.jpg"), leftOut, row.Stem + row.Kept})
                if (name != row.Stem) writeJpeg(rotationDir + name, 120, 90, Qt::darkRed);
            editor.FileBox->Update();
            editor.cmbstyle->setCurrentText(data.path() + "Styles/Sample_With_Index.htm");
            dlgThumbOptions->rdbHTMLImageWindow->setChecked(row.ImagePages);
            dlgThumbOptions->rdbDisplayasimage->setChecked(!row.ImagePages);
            dlgThumbOptions->cmbimagestyle->setCurrentText(data.path() + "Styles/Sample_Image_Page.htm");
            script.answer(MessageResult::OK);
            buildInEditor(script, editor, MessageResult::No, {},
                          [](TdlgBuildProgress& build) { EXPECT_EQ(build.result(), platform::mrOk); });
        });
        EXPECT_EQ(script.texts(), (QStringList{"These images are left out of the gallery because their names are too "
                                               "long for the file names of their thumbnails or pages:\n\n" +
                                                   leftOut + "\n\nRename them to show them in the gallery.",
                                               Preview}));
        EXPECT_TRUE(QFileInfo::exists(rotationDir + leftOut));
        const QString thumbs = row.ThumbsFolder ? rotationDir + "thumbs/" : rotationDir;
        for (const char* stem : {"alpha", "beta"}) {
            EXPECT_TRUE(QFileInfo::exists(thumbs + stem + "_thb.jpg")) << stem;
            EXPECT_EQ(QFileInfo::exists(rotationDir + stem + ".html"), row.ImagePages) << stem;
        }
        const QStringList pages = QDir(rotationDir).entryList({"*.html"}, QDir::Files);
        EXPECT_EQ(pages.size(), row.ImagePages ? 3 + int(!row.Kept.isEmpty()) : 1);
        EXPECT_EQ(testing_support::brokenLinks(rotationDir), QStringList());
        // No link names the photo left out, nor (unless another photo shares it) its name's stem.
        const QString named = row.Kept.isEmpty() ? row.Stem : leftOut;
        for (const QString& page : pages)
            for (const QString& reference : testing_support::pageReferences(readPage(rotationDir + page)))
                EXPECT_FALSE(testing_support::localTarget(reference).contains(named)) << page.toStdString();
        EXPECT_TRUE(readPage(rotationDir + "Index.html").contains("alpha_thb.jpg"));
    }
}
