// Where the next rotation starts: every rotation moves the position on in the site file and in
// the record the next action starts from, the status panel shows what the file holds, and
// rotations without a stored directory are found beside the site path in any letter case.
#include "tests/rotation_tool/rotation_fixture.h"

#include <QDialog>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <functional>

using testing_support::MessageScript;

TEST_F(RotationToolTest, EachRotationMovesOnFromWhereTheLastOneStoppedAndThePanelShowsTheFile) {
    addSite("Site_1", "Garden", 3, 1);
    for (int n = 1; n <= 3; ++n) addRotation("Site_1", n);
    startTool();
    clickSite("Site_1");
    EXPECT_EQ(main->lblcurrentrotation->text(), "1");

    const auto rotateCurrent = [&] { main->btnRotateCurrent->click(); };
    const auto rotateAll = [&] { main->btnrotateall->click(); };
    struct Step {
        std::function<void()> press;
        const char* copied;  // the first page the live site holds afterwards
        int stored;
    };
    const Step steps[] = {{rotateCurrent, "index of rotation 1", 2},
                          {rotateCurrent, "index of rotation 2", 3},
                          {rotateAll, "index of rotation 3", 4},  // shown as stored, past the count
                          {rotateAll, "index of rotation 1", 2},
                          {rotateCurrent, "index of rotation 2", 3}};
    MessageScript script;
    for (const Step& step : steps) {
        script.onDialog([](QDialog&) { return int(platform::mrOk); });  // the log window
        step.press();
        EXPECT_EQ(live("Site_1", "Index.html"), step.copied);
        EXPECT_EQ(storedPosition("Site_1"), step.stored);
        EXPECT_EQ(tsiterecord.CurrentRotationPosition, step.stored);
        EXPECT_EQ(main->lblcurrentrotation->text(), QString::number(step.stored)) << step.copied;
    }
}

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
