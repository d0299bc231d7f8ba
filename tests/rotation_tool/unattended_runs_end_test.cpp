// A scheduler's nightly run must always end: the built program, run again and again over hundreds
// of auto-rotating sites, each run ending with every site's next rotation live. A run that hangs
// would keep every later start from rotating, as each would find it still running.
#include "tests/rotation_tool/spindleway_process.h"

#include <QProcess>
#include <QString>
#include <QStringList>

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::writeFile;

namespace {

constexpr int kSites = 300;
constexpr int kRuns = 20;
// A run over these sites takes about two seconds; the guard gives it well over ten times that.
constexpr int kHangGuardMs = 30000;

QString siteKey(int s) { return "Site_" + QString::number(s); }

QByteArray fileContent(int s, int r, const QString& name) {
    return QString("%1 of rotation %2 of site %3\n").arg(name).arg(r).arg(s).toUtf8();
}

// Ten small files a rotation: the first page, another page, four photos and their thumbnails.
QStringList rotationFileNames() {
    QStringList names{"Index.html", "page2.html"};
    for (int i = 1; i <= 4; ++i) names << QString("photo%1.jpg").arg(i) << QString("thumbs/photo%1_thb.jpg").arg(i);
    return names;
}

// Sites auto-rotating between two built rotations each, into live directories of their own.
void layOutSites(const SpindlewayData& data) {
    QByteArray list = "[Sites]\r\n";
    for (int s = 1; s <= kSites; ++s) {
        list += siteKey(s).toUtf8() + "=Gallery " + QByteArray::number(s) + "\r\n";
        QByteArray site = "[General]\r\nName=Gallery " + QByteArray::number(s) + "\r\nPath=%\\" + siteKey(s).toUtf8() +
                          "\r\nLivePath=%\\www\\" + siteKey(s).toUtf8() +
                          "\\\r\nAutoRotate=True\r\nRotationCount=2\r\nCurrentRotationPosition=1\r\n";
        for (int r = 1; r <= 2; ++r) {
            site += "[Rotation_" + QByteArray::number(r) + "]\r\nRotation_Path=%\\" + siteKey(s).toUtf8() + "\\R" +
                    QByteArray::number(r) + "\\\r\n";
            for (const QString& name : rotationFileNames())
                writeFile(data.path() + siteKey(s) + "/R" + QString::number(r) + "/" + name, fileContent(s, r, name));
        }
        writeFile(data.path() + siteKey(s) + ".ini", site);
    }
    writeFile(data.path() + "sites.ini", list);
}

QByteArray storedPosition(const SpindlewayData& data, int s) {
    const QByteArray site = readFile(data.path() + siteKey(s) + ".ini");
    const qsizetype at = site.indexOf("CurrentRotationPosition=");
    return at < 0 ? QByteArray() : site.mid(at + 24, site.indexOf('\r', at) - at - 24);
}

// The sites whose live directory does not hold rotation r whole, or whose position is not r + 1.
QStringList sitesNotAt(const SpindlewayData& data, int r) {
    QStringList wrong;
    for (int s = 1; s <= kSites; ++s) {
        bool whole = storedPosition(data, s) == QByteArray::number(r + 1);
        for (const QString& name : rotationFileNames())
            whole = whole && readFile(data.path() + "www/" + siteKey(s) + "/" + name) == fileContent(s, r, name);
        if (!whole) wrong << siteKey(s);
    }
    return wrong;
}

}  // namespace

TEST(UnattendedRunsOverManySites, EveryRunEndsWithTheNextRotationLive) {
    SpindlewayData data;
    layOutSites(data);
    int hung = 0;
    for (int run = 1; run <= kRuns; ++run) {
        SCOPED_TRACE("run " + std::to_string(run));
        // Position 3 is past the count, so the search starts again at 1.
        const int next = storedPosition(data, 1) == "2" ? 2 : 1;
        QProcess process;
        data.prepare(process);
        process.setArguments({"/ROTATE"});
        process.start();
        ASSERT_TRUE(process.waitForStarted(kHangGuardMs));
        if (!process.waitForFinished(kHangGuardMs)) {
            ++hung;
            ADD_FAILURE() << "the run did not end within " << kHangGuardMs / 1000 << " s";
            process.kill();
            process.waitForFinished(kHangGuardMs);
            continue;
        }
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
        const QStringList wrong = sitesNotAt(data, next);
        EXPECT_TRUE(wrong.isEmpty()) << wrong.size() << " sites are not at rotation " << next << ", the first "
                                     << wrong.value(0).toStdString();
    }
    EXPECT_EQ(hung, 0) << hung << " of " << kRuns << " runs hung";
}
