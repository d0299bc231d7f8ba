// The rotation tool writes back only the stored position: every other byte of a site file, in
// whatever encoding and line ends the user's tools left it, stays as it was.
#include "tests/rotation_tool/rotation_fixture.h"

#include <QTimer>

TEST_F(RotationToolTest, WritingBackThePositionKeepsEveryOtherByteOfTheSiteFile) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    // A site file as an older Windows tool wrote it: Latin-1 names and headers, CR LF line ends,
    // a comment and a key this system does not know.
    const QByteArray head = "; Gartenpflege \xe9t\xe9 \xa9 2026\r\n[General]\r\nName=Garten M\xfcller\r\n"
                            "Path=%\\Site_1\r\nLivePath=" + livePath("Site_1").toLatin1() +
                            "\r\nAutoRotate=True\r\nRotationCount=1\r\nCurrentRotationPosition=";
    const QByteArray tail = "\r\nUnknownKey=caf\xe9\r\n\r\n[Rotation_1]\r\nRotation_Path=%\\Site_1/R1/"
                            "\r\nHeader=<b>Gr\xfc\xdf" "e</b>\r\n";
    data.write("Site_1.ini", head + "1" + tail);
    data.write("options.ini", "[Options]\r\nLogging=False\r\n");
    startTool({"/ROTATE"});
    main->Timer1->stop();

    main->btnrotateallClick();

    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
    EXPECT_EQ(data.read("Site_1.ini"), head + "2" + tail);
}
