// Where the next rotation starts: rotations without a stored directory are found beside the site
// path in any letter case.
#include "tests/rotation_tool/rotation_fixture.h"

#include <QTimer>

TEST_F(RotationToolTest, RotationsWithoutAStoredDirectoryAreFoundBesideTheSitePathInAnyCase) {
    // The site path is stored without a separator; the directories are spelt as New Rotation, a
    // user or another system made them.
    const QString names[] = {"rotation_1", "Rotation_1", "ROTATION_1"};
    for (int i = 0; i < 3; ++i) {
        const QString key = "Site_" + QString::number(i + 1);
        addSite(key, "Site " + QString::number(i + 1), 1, 1);
        data.write(key + "/" + names[i] + "/Index.html", names[i].toUtf8());
    }
    data.write("Site_1rotation_1/Index.html", "beside the site directory, not in it");
    data.write("options.ini", "[Options]\r\nLogging=False\r\n");
    startTool({"/ROTATE"});
    main->Timer1->stop();

    main->btnrotateallClick();
    for (int i = 0; i < 3; ++i) {
        const QString key = "Site_" + QString::number(i + 1);
        EXPECT_EQ(live(key, "Index.html"), names[i].toUtf8()) << key.toStdString();
        EXPECT_EQ(storedPosition(key), 2) << key.toStdString();
    }
}
