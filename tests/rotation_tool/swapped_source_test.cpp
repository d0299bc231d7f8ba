// A file of a rotation that another program swaps between the check of what goes live and its
// copy: only the very file that was checked is ever published.
#include "rotation_tool/rotation_files.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QTimer>
#include <atomic>
#include <functional>
#include <sys/stat.h>

namespace {

// The copy's hook, put back whatever the test does.
struct BeforeSourceOpen {
    explicit BeforeSourceOpen(std::function<void(const QByteArray&)> hook) {
        rotation_tool::setBeforeSourceOpen(std::move(hook));
    }
    ~BeforeSourceOpen() { rotation_tool::setBeforeSourceOpen(nullptr); }
};

}  // namespace

TEST_F(RotationToolTest, AFileSwappedAfterItsCheckIsLeftOutAndNamedWhileTheRestGoesLive) {
    const struct {
        const char* what;
        std::function<void(const QByteArray& page, const QString& outside)> swap;
        QString end;  // of the page's log line; %1: the data directory
    } cases[] = {
        {"a link to a file outside the site",
         [](const QByteArray& page, const QString& outside) {
             ::unlink(page.constData());
             QFile::link(outside, QFile::decodeName(page));
         },
         "it really lies at %1secret.txt, outside the rotation directory"},
        {"a named pipe, which must not stall the run",
         [](const QByteArray& page, const QString&) {
             ::unlink(page.constData());
             ::mkfifo(page.constData(), 0644);
         },
         "it is not a regular file"},
        {"another file put in its place",
         [](const QByteArray& page, const QString&) {
             QFile::rename(QFile::decodeName(page), QFile::decodeName(page) + ".old");
             QFile file(QFile::decodeName(page));
             if (file.open(QIODevice::WriteOnly)) file.write("written meanwhile");
         },
         "it changed while it was being published"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        addSite("Site_1", "Garden", 1, 1);
        addRotation("Site_1", 1);
        data.write("secret.txt", "secret");
        data.write("live_Site_1/page2.htm", "the live page 2");
        const QByteArray page = QFile::encodeName(data.file("Site_1/R1/page2.htm"));
        std::atomic<bool> swapped = false;  // the copy's workers call the hook side by side
        BeforeSourceOpen hook([&](const QByteArray& source) {
            if (source != page || swapped.exchange(true)) return;
            c.swap(page, data.file("secret.txt"));
        });
        startTool({"/ROTATE"});
        main->Timer1->stop();

        main->btnrotateallClick();
        EXPECT_TRUE(swapped);
        EXPECT_EQ(live("Site_1", "page2.htm"), "the live page 2");
        EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
        EXPECT_EQ(live("Site_1", "photo.jpg"), "photo of rotation 1");
        EXPECT_EQ(live("Site_1", "thumbs/photo_thb.jpg"), "thumb of rotation 1");
        EXPECT_TRUE(logHasError(
            "The file, " + data.file("Site_1/R1/page2.htm") +
            ", of site, Garden, was not published: " + c.end.arg(QFileInfo(data.path()).canonicalFilePath() + "/")))
            << log->lines().join("\n").toStdString();
        EXPECT_EQ(log->errorLines(), QStringList());  // left out, but no failure of the run
        EXPECT_EQ(storedPosition("Site_1"), 2);

        main.reset();
        ::unlink(page.constData());
        QFile::remove(data.file("Site_1/R1/page2.htm.old"));
    }
}
