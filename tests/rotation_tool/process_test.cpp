// The built program, run as a scheduler would run it: unattended, without a display. What goes
// live from a rotation that is the site directory itself, and what the scheduler hears.
#include "rotation_tool/run_mode.h"
#include "tests/rotation_tool/spindleway_process.h"

#include <QProcess>
#include <QTest>
#include <gtest/gtest.h>
#include <memory>

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::treeContents;
using testing_support::writeFile;

namespace {

// Garden's rotation 1 is its site directory: it holds rotation 2, the user's own folder and
// assets the pages do not use beside the gallery. Kitchen does not rotate.
void addGardenAndKitchen(const SpindlewayData& data, bool rotationsBuilt) {
    const QString site = data.path() + "Garden/";
    writeFile(data.path() + "sites.ini", "[Sites]\r\nSite_1=Garden\r\nSite_2=Kitchen\r\n");
    writeFile(data.path() + "Site_1.ini",
              "[General]\r\nName=Garden\r\nPath=%\\Garden\r\nLivePath=" + data.live().toUtf8() +
                  "\r\nAutoRotate=True\r\nRotationCount=2\r\nCurrentRotationPosition=1\r\n"
                  "[Rotation_1]\r\nRotation_Path=%\\Garden\\\r\n"
                  "[Rotation_2]\r\nRotation_Path=%\\Garden\\Rotation_2\\\r\n");
    writeFile(data.path() + "Site_2.ini", "[General]\r\nName=Kitchen\r\nPath=%\\Kitchen\r\nAutoRotate=False\r\n");
    const QString first = rotationsBuilt ? "Index.html" : "Unbuilt.html";
    writeFile(site + first,
              "<html><head><link rel=\"stylesheet\" href=\"css/site.css\"></head><body "
              "background=\"img/paper.gif\"><a href=\"a.html\"><img src=\"thumbs/a_thb.jpg\"></a>"
              "<img src=\"img/icons/Next.gif?v=2\"><img src=\"Rotation_2/b.jpg\">"
              "<img src=\"private/../a.jpg\"><img src=\"../outside.jpg\"><img src=\"img/missing.gif\">"
              "</body></html>");
    writeFile(site + "a.html", "<html><body><img src=\"a.jpg\"></body></html>");
    writeFile(site + "a.jpg", "photo a");
    writeFile(site + "thumbs/a_thb.jpg", "thumb a");
    writeFile(site + "css/site.css", "body {}");
    writeFile(site + "img/paper.gif", "paper");
    writeFile(site + "img/icons/next.gif", "next");  // the page spells it Next.gif
    writeFile(site + "img/unused.gif", "unused");
    writeFile(site + "private/notes.txt", "not for the web");
    writeFile(site + "Rotation_2/" + first, "rotation 2");
    writeFile(site + "Rotation_2/b.jpg", "photo b");
    writeFile(data.path() + "outside.jpg", "outside");
}

// The live site after rotation 1 went live, file by file.
QStringList gardenLive(const SpindlewayData& data) {
    const QString site = data.path() + "Garden/";
    return {"Index.html: " + QString::fromLatin1(readFile(site + "Index.html")),
            "a.html: <html><body><img src=\"a.jpg\"></body></html>",
            "a.jpg: photo a",
            "css/",
            "css/site.css: body {}",
            "img/",
            "img/icons/",
            "img/icons/next.gif: next",
            "img/paper.gif: paper",
            "thumbs/",
            "thumbs/a_thb.jpg: thumb a"};
}

// A copy of the program that is open (an interactive window nobody uses) until the test ends.
class OpenCopy {
public:
    explicit OpenCopy(const SpindlewayData& data) {
        data.prepare(process_);
        process_.start();
        const QString block = QDir::tempPath() + "/" + data.instanceKey() + ".block";
        listening_ = QTest::qWaitFor([&] { return QFileInfo(block).size() > 0; }, 60000);
    }
    ~OpenCopy() {
        process_.kill();
        process_.waitForFinished(10000);
    }
    bool listening() const { return listening_; }

private:
    QProcess process_;
    bool listening_ = false;
};

}  // namespace

TEST(SpindlewayProcess, OnlyTheGalleryGoesLiveAndTheSchedulerHearsOnlyOfRealFailures) {
    enum class Other { None, SameDataDirectory, OtherDataDirectory };
    const struct {
        const char* what;
        bool rotationsBuilt;
        Other open;
        int exitCode;
        QStringList errorMessages;  // the error output: one "! <date-time> - <message>" line each
        bool rotated;
    } cases[] = {
        {"a site beside one that does not rotate", true, Other::None, 0, {}, true},
        {"another copy of another data directory open", true, Other::OtherDataDirectory, 0, {}, true},
        {"no valid rotation",
         false,
         Other::None,
         rotation_tool::kExitRunFailed,
         {"A valid rotation could not be found for the site, Garden"},
         false},
        {"another copy of the same data directory open",
         true,
         Other::SameDataDirectory,
         rotation_tool::kExitOtherCopyRunning,
         {},
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SpindlewayData data, otherData;
        addGardenAndKitchen(data, c.rotationsBuilt);
        std::unique_ptr<OpenCopy> open;
        if (c.open != Other::None) {
            open = std::make_unique<OpenCopy>(c.open == Other::SameDataDirectory ? data : otherData);
            ASSERT_TRUE(open->listening());
        }

        QProcess run;
        data.prepare(run);
        run.setArguments({"/ROTATE"});
        run.start();
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(run.exitCode(), c.exitCode);
        EXPECT_EQ(run.readAllStandardOutput(), "");
        const QStringList errors = QString::fromLocal8Bit(run.readAllStandardError()).split('\n', Qt::SkipEmptyParts);

        if (c.open == Other::SameDataDirectory) {
            // Handed over: nothing rotated, nothing logged, and one line that says so.
            EXPECT_EQ(errors, QStringList{rotation_tool::otherCopyRunningText(data.path())});
            EXPECT_FALSE(QFileInfo::exists(data.live()));
            EXPECT_FALSE(QFileInfo::exists(data.path() + "log.txt"));
            EXPECT_EQ(data.storedPosition(), "1");
            continue;
        }
        ASSERT_EQ(errors.size(), c.errorMessages.size()) << errors.join("\n").toStdString();
        for (qsizetype i = 0; i < errors.size(); ++i)
            EXPECT_TRUE(errors[i].startsWith("! ") && errors[i].endsWith(" - " + c.errorMessages[i]))
                << errors[i].toStdString();
        // The skipped site stays in the log as an error line, though it fails nothing.
        EXPECT_EQ(data.logLines().filter(" - Skipping site, Kitchen, which does not have autorotation enabled!").size(),
                  1)
            << data.logLines().join("\n").toStdString();
        if (c.rotated) {
            EXPECT_EQ(treeContents(data.live()), gardenLive(data));
            EXPECT_EQ(data.storedPosition(), "2");
        } else {
            EXPECT_FALSE(QFileInfo::exists(data.live()));
            EXPECT_EQ(data.storedPosition(), "1");
        }
    }
}
