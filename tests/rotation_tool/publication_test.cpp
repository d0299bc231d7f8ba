// The built program publishing a rotation: whole or not at all, sub-folders included, and an
// unattended run that tells its scheduler how it went.
#include "platform/ini_file.h"
#include "tests/common/file_size_limit.h"
#include "tests/common/link_checker.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QRandomGenerator>
#include <QRegularExpression>
#include <csignal>
#include <map>
#include <optional>
#include <sys/resource.h>
#include <sys/stat.h>

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::treeContents;
using testing_support::writeFile;

namespace {

using testing_support::RunResult;

// An unattended run; with a limit, no file may grow past that many bytes (the kernel refuses the
// write instead of ending the process); with failingSync, the disk takes every write but cannot
// store the data when the program syncs its file system.
RunResult rotate(const SpindlewayData& data, rlim_t fileSizeLimit = 0, bool failingSync = false) {
    return testing_support::rotateUnattended(data, [fileSizeLimit, failingSync] {
        if (fileSizeLimit > 0) {
            ::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{fileSizeLimit, fileSizeLimit};
            ::setrlimit(RLIMIT_FSIZE, &limit);
        }
        if (failingSync && !testing_support::failFileSystemSyncs()) ::_exit(99);
    });
}

QStringList errorLinesOf(const QStringList& log) { return log.filter(QRegularExpression("^! ")); }

// A site with a template whose assets live in sub-folders, as a build leaves it.
void addSubFolderRotation(const SpindlewayData& data, const QByteArray& mark) {
    const QString r = data.rotation(1);
    writeFile(r + "Index.html", "<html><head><link rel=\"stylesheet\" href=\"css/site.css\"></head>"
                                "<body><img src=\"img/paper.gif\"><a href=\"page2.html\"><img src=\"thumbs/a_thb.jpg\"></a>"
                                "<img src=\"img/icons/next.gif\">" + mark + "</body></html>");
    writeFile(r + "page2.html", "<html><body><img src=\"a.jpg\"><a href=\"Index.html\">back</a>" + mark + "</body></html>");
    writeFile(r + "a.jpg", "image " + mark);
    writeFile(r + "thumbs/a_thb.jpg", "thumb " + mark);
    writeFile(r + "css/site.css", "body { color: black } /* " + mark + " */");
    writeFile(r + "img/paper.gif", "paper " + mark);
    writeFile(r + "img/icons/next.gif", "next " + mark);
}

// Garden at position 1 of two rotations: the first holds the page, a photo and the image
// img/logo.gif, the second a page and the photo b.jpg; the live directory an older page.
void addTwoRotations(const SpindlewayData& data, const QByteArray& page) {
    data.addSite(2, 1);
    data.addRotationSection(1);
    data.addRotationSection(2);
    writeFile(data.rotation(1) + "Index.html", page);
    writeFile(data.rotation(1) + "a.jpg", "photo a");
    writeFile(data.rotation(1) + "img/logo.gif", "logo");
    writeFile(data.rotation(2) + "Index.html", "rotation 2");
    writeFile(data.rotation(2) + "b.jpg", "photo b");
    writeFile(data.live() + "Index.html", "the live page");
}

}  // namespace

TEST(SpindlewayPublication, SubFolderAssetsGoLiveAndEveryLinkResolves) {
    SpindlewayData data;
    data.addSite(1, 1);
    data.addRotationSection(1);
    addSubFolderRotation(data, "new");

    const RunResult run = rotate(data);
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, "");  // a clean run is silent
    EXPECT_EQ(run.err, "");
    EXPECT_EQ(treeContents(data.live()), treeContents(data.rotation(1)));
    EXPECT_EQ(testing_support::pageReferences(readFile(data.live() + "Index.html")).size(), 5);  // all checked below
    EXPECT_EQ(testing_support::brokenLinks(data.live()), QStringList());
    EXPECT_EQ(data.storedPosition(), "2");
}

// A live directory stored with a trailing backslash names that folder; a backslash inside a path
// is a character of a folder's name.
TEST(SpindlewayPublication, ALiveDirectoryEndingInABackslashNamesItsFolder) {
    const struct {
        const char* stored;  // relative to the data directory
        const char* folder;  // where the rotation must go live
    } cases[] = {{"www\\", "www/"}, {"my\\www/", "my\\www/"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SpindlewayData data;
        data.addSite(1, 1);
        data.addRotationSection(1);
        addSubFolderRotation(data, "new");
        QByteArray site = readFile(data.path() + "Site_1.ini");
        site.replace("LivePath=" + data.live().toUtf8(), "LivePath=" + data.path().toUtf8() + c.stored);
        writeFile(data.path() + "Site_1.ini", site);
        ASSERT_TRUE(QDir().mkpath(data.path() + c.folder));

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        EXPECT_EQ(treeContents(data.path() + c.folder), treeContents(data.rotation(1)));
        // Nothing beside it: no "www\Index.html" in the data directory, no folder "www\".
        const QRegularExpression beside("^" + QRegularExpression::escape(QString(c.folder).chopped(1) + "\\"));
        EXPECT_EQ(QDir(data.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot).filter(beside), QStringList());
        EXPECT_EQ(data.storedPosition(), "2");
    }
}

// A live directory that does not exist yet is created as its path names it: "/" alone separates
// folders, a doubled one counts once, and a "\\" is a character of a folder's name.
TEST(SpindlewayPublication, AMissingLiveDirectoryIsCreatedAsItsPathNamesIt) {
    const struct {
        const char* stored;   // below the data directory's "out/", which exists
        const char* folder;   // where the rotation must go live, below "out/"
        QStringList madeToo;  // the folders made on the way
    } cases[] = {
        {"www//site1/", "www/site1/", {"www/", "www/site1/"}},
        {"my\\www/", "my\\www/", {"my\\www/"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.stored);
        SpindlewayData data;
        addTwoRotations(data, "<img src=\"img/logo.gif\">");
        platform::IniFile(data.path() + "Site_1.ini")
            .writeString("General", "LivePath", data.path() + "out/" + c.stored);
        ASSERT_TRUE(QDir().mkpath(data.path() + "out"));

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
        QStringList expected = c.madeToo;
        for (const QString& entry : treeContents(data.rotation(1))) expected << c.folder + entry;
        expected.sort();
        EXPECT_EQ(treeContents(data.path() + "out"), expected);
    }
}

// An unattended run whose stored log name is one of the programs' own files rotates, but never
// writes the log there: it says so on its error output and fails.
TEST(SpindlewayPublication, ALogNamedLikeTheProgramsOwnFilesIsNotWritten) {
    const struct {
        const char* stored;    // the log's name; below the data directory unless it is relative
        const char* replaced;  // as the refusal names it
    } rows[] = {
        {"sites.ini", "sites.ini"},
        {"Site_1.ini", "Site_1.ini"},
        {"options.ini", "options.ini"},
        {"Spindleway", "Spindleway"},
        {"Lumefold.html", "Lumefold.html"},
        {"Lumefold_context42.html", "Lumefold_context42.html"},
        {"Styles\\Sample_With_Index.htm", "a file of the Styles folder of Lumenfold Pro"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.stored);
        SpindlewayData data;
        addTwoRotations(data, "<img src=\"img/logo.gif\">");
        writeFile(data.path() + "Lumefold.html", "help");
        writeFile(data.path() + "Lumefold_context42.html", "help on the rotation tool");
        writeFile(data.path() + "Styles/Sample_With_Index.htm", "shipped template");
        const QString log = QString(row.stored).contains('\\') ? QString(row.stored) : data.path() + row.stored;
        writeFile(data.path() + "options.ini",
                  "[Options]\r\nLogging=True\r\nLogOnlyErrors=False\r\nLogFileName=" + log.toUtf8() + "\r\n");
        const auto kept = [&] {
            return readFile(data.path() + "sites.ini") + readFile(data.path() + "options.ini") +
                   readFile(data.programPath()) + readFile(data.path() + "Lumefold.html") +
                   readFile(data.path() + "Lumefold_context42.html") +
                   readFile(data.path() + "Styles/Sample_With_Index.htm");
        };
        const QByteArray before = kept();

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_TRUE(run.err.contains(" - The log was not saved to " + log.toUtf8() + ", which would replace " +
                                     row.replaced + " in the data directory\n"))
            << run.err.toStdString();
        EXPECT_EQ(kept(), before);
        EXPECT_EQ(data.storedPosition(), "2");  // the site file is the rotation's own, position and all
        EXPECT_EQ(treeContents(data.live()), treeContents(data.rotation(1)));
    }
}

// Each failed write fails the run: exit status 1, the log's error lines on the error output, and
// nothing lost. A later run with room to write publishes the rotation.
TEST(SpindlewayPublication, AFailedWriteFailsTheRunAndLosesNothing) {
    constexpr rlim_t kLimit = 16 * 1024;
    const struct {
        const char* what;
        QByteArray bigRotationFile;  // relative to the rotation; empty: none
        QByteArray siteFilePadding;  // bytes added to the site file
        bool failingSync;            // instead of the file-size limit
        bool liveUnchanged;          // else the rotation is live
        QString expectedError;       // %1: the data directory
    } cases[] = {
        {"an image of the rotation past the limit", "big.jpg", "", false, true,
         "Could not copy the file, %1Site_1/R1/big.jpg, for site, Garden!"},
        {"a site file past the limit", "", "; " + QByteArray(64 * 1024, 'x') + "\r\n", false, false,
         "Could not save the next rotation position of the site, Garden, to %1Site_1.ini!"},
        {"a disk that cannot store what it took", "", "", true, true,
         "Could not store the files for site, Garden, on the disk of %1www/!"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        data.addSite(1, 1, c.siteFilePadding);
        data.addRotationSection(1);
        addSubFolderRotation(data, "new");
        if (!c.bigRotationFile.isEmpty()) writeFile(data.rotation(1) + c.bigRotationFile, QByteArray(64 * 1024, 'b'));
        writeFile(data.path() + "options.ini", "[Options]\r\nCreateBackups=True\r\n");
        // The live site holds an older version of some of the files, and a file of its own.
        writeFile(data.live() + "Index.html", "old index");
        writeFile(data.live() + "img/paper.gif", "old paper");
        writeFile(data.live() + "thumbs/a_thb.jpg", "old thumb");
        writeFile(data.live() + "counter.txt", "visitors");
        const auto liveBefore = treeContents(data.live());
        const QByteArray siteBefore = readFile(data.path() + "Site_1.ini");

        const RunResult failed = c.failingSync ? rotate(data, 0, true) : rotate(data, kLimit);
        EXPECT_EQ(failed.exitCode, 1);
        EXPECT_EQ(failed.out, "");
        const QStringList errors = errorLinesOf(data.logLines());
        EXPECT_EQ(QString::fromLocal8Bit(failed.err).split('\n', Qt::SkipEmptyParts), errors);
        EXPECT_EQ(errors.filter(" - " + QString(c.expectedError).arg(data.path())).size(), 1) << errors.join("\n").toStdString();
        EXPECT_EQ(readFile(data.path() + "Site_1.ini"), siteBefore);  // the position as it was, every byte
        if (c.liveUnchanged) {
            EXPECT_EQ(treeContents(data.live()), liveBefore);
            EXPECT_EQ(errors.filter(" - The site, Garden, was NOT updated to rotation 1: ").size(), 1);
        } else {
            EXPECT_EQ(readFile(data.live() + "css/site.css"), readFile(data.rotation(1) + "css/site.css"));
            EXPECT_EQ(readFile(data.live() + "Index.~htm"), "old index");
        }

        const RunResult clean = rotate(data);
        EXPECT_EQ(clean.exitCode, 0);
        EXPECT_EQ(clean.out + clean.err, "");
        // The rotation, the live site's own file, and the oldest version of each replaced file.
        const QStringList live = treeContents(data.live());
        for (const QString& entry : treeContents(data.rotation(1)) + QStringList{"Index.~htm: old index",
                                                                                 "counter.txt: visitors",
                                                                                 "img/paper.~gi: old paper",
                                                                                 "thumbs/a_thb.~jp: old thumb"})
            EXPECT_TRUE(live.contains(entry)) << entry.toStdString();
        EXPECT_EQ(data.storedPosition(), "2");
    }
}

// Whatever links a rotation holds, only files that really lie in it go live. Each one left out is
// named in the log as an error line, but it fails nothing: the run ends with 0, silently.
TEST(SpindlewayPublication, OnlyFilesThatReallyLieInTheRotationGoLive) {
    const struct {
        const char* what;
        QString link, target;  // a link in rotation 1, and where it leads in the data directory
        QString file, real;    // the file of the rotation it makes, and where that really lies
        QString place;         // the end of the file's log line; empty: it goes live
    } cases[] = {
        {"a top-level link to an outside file", "secret.txt", "secret.txt", "secret.txt", "secret.txt",
         "outside the rotation directory"},
        {"a referenced link into the other rotation", "img/b.jpg", "Site_1/R2/b.jpg", "img/b.jpg", "Site_1/R2/b.jpg",
         "in another rotation of the site"},
        {"a referenced link to a folder outside the site", "css", "private", "css/site.css", "private/site.css",
         "outside the rotation directory"},
        {"thumbs as a link to an outside folder", "thumbs", "private", "thumbs/site.css", "private/site.css",
         "outside the rotation directory"},
        {"a link to the live directory", "current.html", "www/Index.html", "current.html", "www/Index.html",
         "in the live directory"},
        {"a harmless link inside the rotation", "img/b.jpg", "Site_1/R1/a.jpg", "img/b.jpg", "", ""},
    };
    const QByteArray page =
        "<html><link rel=\"stylesheet\" href=\"css/site.css\"><img src=\"img/logo.gif\">"
        "<img src=\"img/b.jpg\"></html>";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        addTwoRotations(data, page);
        writeFile(data.path() + "secret.txt", "secret");
        writeFile(data.path() + "private/site.css", "private");
        ASSERT_TRUE(QFile::link(data.path() + c.target, data.rotation(1) + c.link));

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out + run.err, "");
        QStringList live = {"Index.html: " + QString::fromLatin1(page), "a.jpg: photo a", "img/", "img/logo.gif: logo"};
        if (c.place.isEmpty()) live << c.file + ": photo a";
        live.sort();
        EXPECT_EQ(treeContents(data.live()), live);
        EXPECT_EQ(data.storedPosition(), "2");
        const QStringList errors = errorLinesOf(data.logLines());
        EXPECT_EQ(errors.size(), c.place.isEmpty() ? 0 : 1) << data.logLines().join("\n").toStdString();
        if (!c.place.isEmpty()) {
            EXPECT_TRUE(errors.value(0).endsWith(" - The file, " + data.rotation(1) + c.file +
                                                 ", of site, Garden, was not published: it really lies at " +
                                                 QFileInfo(data.path() + c.real).canonicalFilePath() + ", " + c.place))
                << errors.value(0).toStdString();
        }
    }
}

// A site whose file cannot be read is no site that merely does not rotate: the run names it, goes
// on with the next site and tells the scheduler it failed.
TEST(SpindlewayPublication, ASiteThatCannotBeReadFailsTheRunAndTheNextSiteStillRotates) {
    QByteArray randomBytes(4096, '\0');
    QRandomGenerator random(7);
    random.fillRange(reinterpret_cast<quint32*>(randomBytes.data()), randomBytes.size() / 4);
    const QByteArray validSite = "[General]\r\nName=Shed\r\nPath=%\\Shed\r\nLivePath=/nowhere\r\nAutoRotate=True\r\n";
    const struct {
        const char* what;
        std::optional<QByteArray> content;  // none: no file
        bool readable;
    } cases[] = {
        {"a missing site file", std::nullopt, true},
        {"a site file without read permission", validSite, false},
        {"a site file of random bytes", randomBytes, true},
        {"a site file whose [General] holds no key", QByteArray("[General]\r\n"), true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        data.addSite(1, 1);
        data.addRotationSection(1);
        addSubFolderRotation(data, "new");
        // The readable site as an editor may leave it: a byte order mark and a byte of Latin-1.
        writeFile(data.path() + "Site_1.ini", "\xEF\xBB\xBF; G\xE4rten\r\n" + readFile(data.path() + "Site_1.ini"));
        writeFile(data.path() + "sites.ini", "[Sites]\r\nSite_2=Shed\r\nSite_1=Garden\r\n");
        const QString siteFile = data.path() + "Site_2.ini";
        if (c.content) writeFile(siteFile, *c.content);
        if (!c.readable) QFile::setPermissions(siteFile, QFileDevice::WriteOwner);

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_EQ(run.out, "");
        const QStringList errors = QString::fromLocal8Bit(run.err).split('\n', Qt::SkipEmptyParts);
        ASSERT_EQ(errors.size(), 1) << run.err.toStdString();
        EXPECT_TRUE(errors[0].startsWith("! ") &&
                    errors[0].endsWith(" - Error analysing the status of Site 0: Site_2, " + siteFile))
            << errors[0].toStdString();
        EXPECT_EQ(errorLinesOf(data.logLines()), errors);
        EXPECT_EQ(treeContents(data.live()), treeContents(data.rotation(1)));
        EXPECT_EQ(data.storedPosition(), "2");
    }
}

namespace {

// Site_1 (Garden) with two built rotations, its first in the directory given, and the live
// directory given; Site_2 (Shed), an ordinary site beside it. Returns the files of rotation 1.
std::map<QString, QByteArray> addTwoSites(const SpindlewayData& data, const QString& live, const QString& rotation1) {
    writeFile(data.path() + "sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Shed\r\n");
    writeFile(data.path() + "Site_1.ini", "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + live.toUtf8() +
                                              "\r\nAutoRotate=True\r\nRotationCount=2\r\nCurrentRotationPosition=2\r\n"
                                              "[Rotation_1]\r\nRotation_Path=" +
                                              rotation1.toUtf8() +
                                              "\r\n[Rotation_2]\r\nRotation_Path=%\\Site_1\\R2\\\r\n");
    writeFile(data.path() + "Site_2.ini",
              "[General]\r\nName=Shed\r\nPath=%\\Shed\r\nLivePath=" + (data.path() + "shed-live/").toUtf8() +
                  "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=1\r\n");
    writeFile(data.path() + "Shed/rotation_1/Index.html", "shed");
    const std::map<QString, QByteArray> first = {
        {"Index.html", "<img src=\"css/logo.gif\"><img src=\"thumbs/a_thb.jpg\"> rotation 1"},
        {"a.jpg", "photo 1"},
        {"thumbs/a_thb.jpg", "thumb 1"},
        {"css/logo.gif", "logo 1"},
    };
    for (const auto& [file, content] : first) writeFile(rotation1 + "/" + file, content);
    for (const auto& [file, content] : first) writeFile(data.rotation(2) + file, QByteArray(content).replace("1", "2"));
    return first;
}

}  // namespace

// A live directory that lies on a rotation, however it is reached, would have the next rotation
// overwrite that rotation's own files: the site is refused before anything is copied, the run
// fails, and the other sites still rotate. A live directory beside or above the rotations is fine.
TEST(SpindlewayPublication, ALiveDirectoryThatLiesOnARotationIsRefused) {
    const struct {
        const char* what;
        const char* rotation1;    // relative to the data directory
        const char* live;         // relative to the data directory
        const char* link;         // made in the data directory before the run, leading to linkTarget
        const char* linkTarget;   // relative to the link's folder
        const char* overwritten;  // the folder the refusal names; empty: the site rotates
    } cases[] = {
        {"the live directory typed as rotation 1's", "Site_1/R1", "Site_1/R1/", "", "", "Site_1/R1/"},
        {"the site directory, which is rotation 1, typed as the live directory", "Site_1", "Site_1", "", "", "Site_1/"},
        {"the live directory a link to rotation 1", "Site_1/R1", "www/", "www", "Site_1/R1", "Site_1/R1/"},
        {"a live thumbs that is a link into rotation 1's thumbs", "Site_1/R1", "www/", "www/thumbs",
         "../Site_1/R1/thumbs", "Site_1/R1/thumbs/"},
        {"the live directory a folder rotation 1's pages refer to", "Site_1/R1", "Site_1/R1/css/", "", "",
         "Site_1/R1/css/"},
        {"a live directory inside the site directory, which is rotation 1", "Site_1", "Site_1/www/", "", "", ""},
        {"a live directory that holds the rotation directories", "Site_1/R1", "Site_1/", "", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        const QString rotation1 = data.path() + c.rotation1;
        const std::map<QString, QByteArray> first = addTwoSites(data, data.path() + c.live, rotation1);
        if (*c.link) {
            QDir().mkpath(QFileInfo(data.path() + c.link).path());
            ASSERT_EQ(::symlink(c.linkTarget, QFile::encodeName(data.path() + c.link).constData()), 0);
        }
        const QByteArray siteBefore = readFile(data.path() + "Site_1.ini");

        const RunResult run = rotate(data);
        for (const auto& [file, content] : first)
            EXPECT_EQ(readFile(rotation1 + "/" + file), content) << file.toStdString();
        EXPECT_EQ(readFile(data.path() + "shed-live/Index.html"), "shed");
        EXPECT_EQ(run.out, "");
        if (*c.overwritten) {
            EXPECT_EQ(run.exitCode, 1);
            const QStringList errors = QString::fromLocal8Bit(run.err).split('\n', Qt::SkipEmptyParts);
            EXPECT_EQ(errors.size(), 1) << run.err.toStdString();
            EXPECT_TRUE(
                errors.value(0).startsWith("! ") &&
                errors.value(0).endsWith(" - The site, Garden, was NOT updated to rotation 2: copying into its live "
                                         "directory, " +
                                         data.path() + c.live + (QString(c.live).endsWith('/') ? "" : "/") +
                                         ", would overwrite the files of rotation 1 in " + data.path() + c.overwritten))
                << errors.value(0).toStdString();
            EXPECT_EQ(errorLinesOf(data.logLines()), errors);
            EXPECT_EQ(readFile(data.path() + "Site_1.ini"), siteBefore);  // the position stays
        } else {
            EXPECT_EQ(run.exitCode, 0);
            EXPECT_EQ(run.err, "");
            EXPECT_EQ(readFile(data.path() + c.live + "Index.html"), readFile(data.rotation(2) + "Index.html"));
            EXPECT_EQ(data.storedPosition(), "3");
        }
    }
}

// Whatever a rotation holds that does not go live is named in the log, each file with an error
// line that fails nothing, while everything else goes live.
TEST(SpindlewayPublication, EveryFileLeftOutIsNamed) {
    const struct {
        const char* what;
        const char* link;                      // in rotation 1; empty: a named pipe "pipe.jpg" there
        const char* target;                    // where the link leads, relative to the data directory
        QList<QPair<QString, QString>> lines;  // the file of rotation 1 and the end of its line
    } cases[] = {
        {"thumbs a link to another rotation's directory",
         "thumbs",
         "Site_1/R2",
         {{"thumbs/Index.html", "it really lies at %1Site_1/R2/Index.html, in another rotation of the site"},
          {"thumbs/b.jpg", "it really lies at %1Site_1/R2/b.jpg, in another rotation of the site"}}},
        {"thumbs a link to the live directory",
         "thumbs",
         "www",
         {{"thumbs/Index.html", "it really lies at %1www/Index.html, in the live directory"}}},
        {"a referenced file reached through a link to another rotation",
         "r2",
         "Site_1/R2",
         {{"r2/b.jpg", "it really lies at %1Site_1/R2/b.jpg, in another rotation of the site"}}},
        {"a link that leads nowhere",
         "gone.jpg",
         "missing.jpg",
         {{"gone.jpg", "it is a link to %1missing.jpg, which does not exist"}}},
        {"a link in thumbs that leads nowhere",
         "thumbs/gone_thb.jpg",
         "missing.jpg",
         {{"thumbs/gone_thb.jpg", "it is a link to %1missing.jpg, which does not exist"}}},
        {"a named pipe", "", "", {{"pipe.jpg", "it is not a regular file"}}},
    };
    const QByteArray page = "<html><img src=\"img/logo.gif\"><img src=\"r2/b.jpg\"></html>";
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data;
        addTwoRotations(data, page);
        QDir().mkpath(QFileInfo(data.rotation(1) + c.link).path());
        if (*c.link)
            ASSERT_TRUE(QFile::link(data.path() + c.target, data.rotation(1) + c.link));
        else
            ASSERT_EQ(::mkfifo(QFile::encodeName(data.rotation(1) + "pipe.jpg").constData(), 0644), 0);

        const RunResult run = rotate(data);
        EXPECT_EQ(run.exitCode, 0);
        EXPECT_EQ(run.out + run.err, "");
        QStringList live = {"Index.html: " + QString::fromLatin1(page), "a.jpg: photo a", "img/", "img/logo.gif: logo"};
        live.sort();
        EXPECT_EQ(treeContents(data.live()), live);
        EXPECT_EQ(data.storedPosition(), "2");
        QStringList expected;
        for (const auto& [file, end] : c.lines)
            expected << "The file, " + data.rotation(1) + file +
                            ", of site, Garden, was not published: " + QString(end).arg(data.path());
        QStringList logged;
        for (const QString& line : errorLinesOf(data.logLines())) logged << line.mid(line.indexOf(" - ") + 3);
        EXPECT_EQ(logged, expected);
    }
}
