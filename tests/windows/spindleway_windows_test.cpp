// Every window of Spindleway on a 1024 x 600 screen.
#include "site_manager/about_box.h"
#include "tests/rotation_tool/rotation_fixture.h"
#include "tests/windows/help_checks.h"
#include "tests/windows/window_checks.h"

#include <QPushButton>

using testing_support::Centred;

TEST_F(RotationToolTest, EverySpindlewayWindowFitsTheScreen) {
    addSite("Site_1", "Garden", 2, 1);
    startTool();
    TAboutBox about(main.get(), "Spindleway", "1.0");
    const std::tuple<const char*, QWidget*, Centred> windows[] = {
        {"spindleway_main", main.get(), Centred::Yes},
        {"rotation_options", options, Centred::No},
        {"rotation_log", log, Centred::Yes},
        {"spindleway_about", &about, Centred::Yes},
    };
    for (const auto& [name, window, centred] : windows) {
        window->show();
        testing_support::expectFitsScreen(*window, name, centred);
        if (window != main.get()) window->hide();
    }
}

TEST_F(RotationToolTest, SpindlewayHelpButtonsOpenTheHtmlHelpAtTheirTopics) {
    testing_support::copyHelpFileTo(data.path());
    startTool();
    testing_support::OpenedHelp help;
    main->BitBtn1->click();
    help.expectTopic(42, "main window");
    options->BitBtn1->click();
    help.expectTopic(55, "options");
}
