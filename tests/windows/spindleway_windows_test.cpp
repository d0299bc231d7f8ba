// Spindleway's windows on a 1024 x 600 screen, and their Help buttons.
#include "site_manager/about_box.h"
#include "tests/rotation_tool/rotation_fixture.h"
#include "tests/windows/window_checks.h"

#include <QPushButton>

TEST_F(RotationToolTest, EverySpindlewayWindowFitsTheScreenAndItsHelpOpensAtItsTopic) {
    addSite("Site_1", "Garden", 2, 1);
    testing_support::copyHelpFileTo(data.path());
    startTool();
    TAboutBox about(main.get(), "Spindleway", "1.0");
    const std::tuple<const char*, QWidget*, bool> windows[] = {
        {"spindleway_main", main.get(), true},
        {"rotation_options", options, false},
        {"rotation_log", log, true},
        {"spindleway_about", &about, true},
    };
    for (const auto& [name, window, centred] : windows) {
        window->show();
        testing_support::expectFitsScreen(*window, name, centred);
        if (window != main.get()) window->hide();
    }
    testing_support::OpenedHelp help;
    main->BitBtn1->click();
    help.expectTopic("Spindleway: the site rotation tool", "main window");
    options->BitBtn1->click();
    help.expectTopic("Rotation Options", "options");
}
