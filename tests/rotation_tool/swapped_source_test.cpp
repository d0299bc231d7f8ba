// A file of a rotation that another program swaps between the check of what goes live and its
// copy: only the very file that was checked is ever copied, and a rotation that changed under the
// run does not go live.
#include "rotation_tool/rotation_files.h"
#include "tests/common/tree_contents.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
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

class SwappedSourceTest : public RotationToolTest {
protected:
    // Garden with rotation 1 built, an older page 2 live and a file outside the site; the path of
    // the rotation's page 2, the file the tests change.
    QByteArray addGardenWithItsPage() {
        addSite("Site_1", "Garden", 1, 1);
        addRotation("Site_1", 1);
        data.write("secret.txt", "secret");
        data.write("live_Site_1/page2.htm", "the live page 2");
        return QFile::encodeName(data.file("Site_1/R1/page2.htm"));
    }
};

TEST_F(SwappedSourceTest, AFileSwappedJustBeforeItsCopyIsNeverReadAndTheSiteFails) {
    const struct {
        const char* what;
        std::function<void(const QByteArray& page, const QString& outside)> swap;
    } cases[] = {
        {"a link to a file outside the site",
         [](const QByteArray& page, const QString& outside) {
             ::unlink(page.constData());
             QFile::link(outside, QFile::decodeName(page));
         }},
        {"a named pipe, which must not stall the run",
         [](const QByteArray& page, const QString&) {
             ::unlink(page.constData());
             ::mkfifo(page.constData(), 0644);
         }},
        {"another file put in its place",
         [](const QByteArray& page, const QString&) {
             QFile::rename(QFile::decodeName(page), QFile::decodeName(page) + ".old");
             QFile file(QFile::decodeName(page));
             if (file.open(QIODevice::WriteOnly)) file.write("written meanwhile");
         }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray page = addGardenWithItsPage();
        std::atomic<bool> swapped = false;  // the copy's workers call the hook side by side
        BeforeSourceOpen hook([&](const QByteArray& source) {
            if (source != page || swapped.exchange(true)) return;
            c.swap(page, data.file("secret.txt"));
        });
        startTool({"/ROTATE"});
        main->Timer1->stop();

        main->btnrotateallClick();
        EXPECT_TRUE(swapped);
        EXPECT_EQ(testing_support::treeContents(livePath("Site_1")), QStringList{"page2.htm: the live page 2"});
        EXPECT_TRUE(logHasError("Could not copy the file, " + data.file("Site_1/R1/page2.htm") + ", for site, Garden!"))
            << log->lines().join("\n").toStdString();
        EXPECT_TRUE(
            logHasError("The site, Garden, was NOT updated to rotation 1: not every file could be written, "
                        "so the live site was left as it was"));
        EXPECT_EQ(storedPosition("Site_1"), 1);

        main.reset();
        ::unlink(page.constData());
        QFile::remove(data.file("Site_1/R1/page2.htm.old"));
    }
}

// A file that is listed but gone when what goes live is checked has no checked identity: whatever
// appears at its path before the copy is never copied, and the rotation fails as it does for a
// file that vanished.
TEST_F(SwappedSourceTest, AFileTheCheckCouldNotLookAtIsNeverCopied) {
    const struct {
        const char* what;
        std::function<void(const QByteArray& page, const QString& outside)> putBack;
    } cases[] = {
        {"back as another file",
         [](const QByteArray& page, const QString&) {
             QFile file(QFile::decodeName(page));
             if (file.open(QIODevice::WriteOnly)) file.write("written meanwhile");
         }},
        {"back as a link to a file outside the site",
         [](const QByteArray& page, const QString& outside) { QFile::link(outside, QFile::decodeName(page)); }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        const QByteArray page = addGardenWithItsPage();
        startTool();
        clickSite("Site_1");
        main->edtrotationdirectory->setText(data.file("Site_1/R1/"));  // listed with the page
        ASSERT_EQ(main->FileBox->findItems("page2.htm", Qt::MatchExactly).size(), 1);
        ASSERT_EQ(::unlink(page.constData()), 0);  // gone when checked
        std::atomic<bool> putBack = false;  // the copy's workers call the hook side by side
        BeforeSourceOpen hook([&](const QByteArray&) {
            if (!putBack.exchange(true)) c.putBack(page, data.file("secret.txt"));
        });

        EXPECT_FALSE(main->RotateCurrentRotation(1));
        EXPECT_EQ(live("Site_1", "page2.htm"), "the live page 2");
        EXPECT_EQ(live("Site_1", "Index.html"), "");  // nothing of the rotation went live
        EXPECT_TRUE(logHasError("Could not copy the file, " + QFile::decodeName(page) + ", for site, Garden!"))
            << log->lines().join("\n").toStdString();
        EXPECT_TRUE(logHasError("The site, Garden, was NOT updated to rotation 1: not every file could be written, "
                                "so the live site was left as it was"));

        main.reset();
        ::unlink(page.constData());
    }
}
