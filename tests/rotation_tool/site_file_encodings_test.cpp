// Site lists and site files saved by Windows programs, in Windows-1252 or as UTF-16 LE with its
// byte order mark, rotated by the built program: the names and relative paths read as Windows
// reads them, and the file keeps every byte but its position line.
#include "tests/common/windows_text.h"
#include "tests/rotation_tool/spindleway_process.h"

using testing_support::readFile;
using testing_support::SpindlewayData;
using testing_support::treeContents;
using testing_support::windowsFile;
using testing_support::writeFile;

TEST(SpindlewaySiteFileEncodings, WindowsFilesRotateAndKeepEveryByteButThePosition) {
    const QString name = QString::fromUtf8("Tom’s Garden – €");
    for (const char* encoding : testing_support::kWindowsEncodings) {
        SCOPED_TRACE(encoding);
        SpindlewayData data;
        // The five bytes Windows-1252 leaves unassigned stand in a comment, as a Windows editor kept them.
        const QString head =
            QString::fromUtf8("; ‘Tom’s’ “garden” \u0081\u008D\u008F\u0090\u009D\r\n[General]\r\nName=") + name +
            "\r\nPath=%\\" + name + "\\\r\nLivePath=" + data.live() +
            "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=";
        const QString tail = "\r\nUnknownKey=" + name + "\r\n";
        const auto siteFile = [&](const QString& position) { return windowsFile(encoding, head + position + tail); };
        const QByteArray sites = windowsFile(encoding, "[Sites]\r\nSite_1=" + name + "\r\n");
        writeFile(data.path() + "sites.ini", sites);
        writeFile(data.path() + "Site_1.ini", siteFile("1"));
        writeFile(data.path() + "options.ini", "[Options]\r\nLogging=True\r\nLogOnlyErrors=False\r\n");
        // The copied folder, named in UTF-8 as Linux names it.
        const QString rotation = data.path() + name + "/rotation_1/";
        writeFile(rotation + "Index.html", "<img src=\"photo.jpg\">");
        writeFile(rotation + "photo.jpg", "photo");

        QProcess run;
        data.prepare(run);
        run.setArguments({"/ROTATE"});
        run.start();
        ASSERT_TRUE(run.waitForFinished(60000));
        EXPECT_EQ(run.exitCode(), 0) << run.readAllStandardError().toStdString();
        EXPECT_EQ(treeContents(data.live()), (QStringList{"Index.html: <img src=\"photo.jpg\">", "photo.jpg: photo"}));
        const QStringList log = data.logLines();
        ASSERT_EQ(log.size(), 1) << log.join("\n").toStdString();
        EXPECT_TRUE(log.first().startsWith("* ")) << log.first().toStdString();
        EXPECT_TRUE(log.first().endsWith(" - " + name + " sucessfully updated to rotation 1"))
            << log.first().toStdString();
        EXPECT_EQ(readFile(data.path() + "Site_1.ini"), siteFile("2"));
        EXPECT_EQ(readFile(data.path() + "sites.ini"), sites);
    }
}
