// Return or Enter held down on a real display presses once. The built programs run on an X server
// of the test's own; the key is held through XTest for two seconds with key repeat on while every
// core is busy, so the desktop's repeats arrive as it sends them: release and press pairs that the
// toolkit does not always see as repeats.
#include "platform/ini_file.h"
#include "tests/common/qt_print.h"
#include "tests/real_display/program_copy.h"
#include "tests/real_display/x_session.h"

#include <QColor>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <functional>
#include <gtest/gtest.h>
#include <iostream>

using real_display::ProgramCopy;
using real_display::WindowWatch;
using real_display::XSession;

namespace {

const QString kSpindleway = "Lumenfold Pro - Site Rotation Tool";
const QString kSpindlewayBox = "Lumenfold Pro Rotation Site Tool";  // the title of its message boxes
const QString kLog = "Rotation Process Log";
const QString kLumenfold = "Lumenfold Pro";  // its main window and its message boxes
const QString kEditor = "Edit Site";
const QString kBuild = "Build Site";
constexpr int kRotations = 30;  // more than a faulty hold rotates, so the count does not wrap
const QStringList kPhotos{"photo1.jpg", "photo2.jpg"};

// Spindleway's site Garden with built rotations, the first one next, auto-rotating into www/.
void addRotatingSite(const ProgramCopy& data) {
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    QByteArray site = "[General]\r\nName=Garden\r\nPath=%\\Site_1\r\nLivePath=" + data.path().toUtf8() +
                      "www/\r\nAutoRotate=True\r\nRotationCount=" + QByteArray::number(kRotations) +
                      "\r\nCurrentRotationPosition=1\r\n";
    for (int n = 1; n <= kRotations; ++n) {
        const QByteArray number = QByteArray::number(n);
        site += "[Rotation_" + number + "]\r\nRotation_Path=%\\Site_1\\R" + number + "\\\r\n";
        data.write("Site_1/R" + number + "/Index.html", "index of rotation " + number);
    }
    data.write("Site_1.ini", site);
}

int storedPosition(const ProgramCopy& data) {
    return platform::IniFile(data.path() + "Site_1.ini").readInteger("General", "CurrentRotationPosition", -1);
}

// Lumenfold's site Garden with three unbuilt rotations of two photos each, a sample template and a
// header of the same HTML on every page.
void addGallerySite(const ProgramCopy& data) {
    data.write("options.ini", "[Options]\r\nUseRotations=True\r\n");
    data.write("sites.ini", "[Sites]\r\nSite_1=Garden\r\n");
    QByteArray site = "[General]\r\nName=Garden\r\nPath=%\\site\\\r\nRotationCount=3\r\nCurrentRotationPosition=1\r\n";
    for (int n = 1; n <= 3; ++n) {
        const QByteArray number = QByteArray::number(n);
        site += "[Rotation_" + number + "]\r\nRotation_Path=%\\site\\Rotation_" + number +
                "\\\r\nStyle_File=%\\Styles\\Sample_With_Index.htm\r\nStatus=0\r\nHeader_HTML=<b>hello</b>\r\n";
        for (const QString& photo : kPhotos) {
            QImage image(64, 48, QImage::Format_RGB32);
            image.fill(QColor::fromHsv(60 * n, 200, 200));
            QDir().mkpath(data.path() + "site/Rotation_" + number);
            EXPECT_TRUE(image.save(data.path() + "site/Rotation_" + number + "/" + photo, "JPEG"));
        }
    }
    data.write("Site_1.ini", site);
}

QStringList unbuiltRotation(int n) {
    const QString folder = "Rotation_" + QString::number(n) + "/";
    return {folder, folder + kPhotos[0], folder + kPhotos[1]};
}

// The site editor of Lumenfold's only site, opened by a double click on it; the editor's first
// field has the focus.
bool openSiteEditor(const XSession& x, const QString& mainWindow) {
    x.click(mainWindow, 60, 50, 2);  // the first line of the site list
    return !x.waitForFocusedWindow(kEditor).isEmpty();
}

// A button of Lumenfold's main window without sites: from the site list, which has the focus, Tab
// goes through the enabled buttons, New Site.. first.
std::function<bool(const XSession&, const QString&)> tabsToButton(int tabs) {
    return [tabs](const XSession& x, const QString&) {
        x.keys(QStringList(tabs, "Tab"));
        return true;
    };
}

void noSites(const ProgramCopy&) {}

// New Site.. was pressed once: the new site is stored and its Site Options wait for an answer.
void checkOneNewSite(const XSession& x, ProgramCopy& data) {
    EXPECT_EQ(x.visibleWindows("Site Options").size(), 1);
    EXPECT_EQ(platform::IniFile(data.path() + "sites.ini").readSection("Sites"), QStringList{"Site_1"});
}

struct Press {
    const char* key = "Return";  // its xdotool name
    bool held = true;            // for two seconds, else pressed and let go at once
};

struct Row {
    const char* name;
    const char* program;
    std::function<void(const ProgramCopy&)> prepare;
    // Brings the focus where the key is held; false when a window did not come.
    std::function<bool(const XSession&, const QString& mainWindow)> reach;
    int windowsShown;  // by the press
    // Checks the windows and the files after the press, once the program has handled every key.
    std::function<void(const XSession&, ProgramCopy&)> check;
    Press press = {};
};

}  // namespace

TEST(HeldReturnOnARealDisplay, PressesOnceWhateverHasTheFocus) {
    XSession x;
    ASSERT_TRUE(x.ok());
    const Row rows[] = {
        {"Spindleway: Rotate Current with Site 1 clicked", "Spindleway", addRotatingSite,
         [](const XSession& x, const QString& main) {
             x.click(main, 120, 92);  // the first line of the site list
             x.keys({"Tab"});         // to Rotate Current
             return true;
         },
         1,  // the log
         [](const XSession& x, ProgramCopy& data) {
             std::cout << "rotations: " << storedPosition(data) - 1 << "\n";
             EXPECT_EQ(storedPosition(data), 2);
             EXPECT_EQ(QString::fromUtf8(data.read("www/Index.html")), "index of rotation 1");
             EXPECT_EQ(x.visibleWindows(kLog).size(), 1) << "the log is still open";
             // A press of its own after the hold closes the log, and the next one rotates again.
             x.keys({"Return"});
             if (x.waitForFocusedWindow(kSpindleway).isEmpty()) return;
             x.keys({"Return"});
             if (x.waitForFocusedWindow(kLog).isEmpty() || !data.waitUntilIdle()) return;
             EXPECT_EQ(storedPosition(data), 3);
             EXPECT_EQ(QString::fromUtf8(data.read("www/Index.html")), "index of rotation 2");
         }},
        {"Spindleway: Rotate Current with no site highlighted", "Spindleway", addRotatingSite,
         [](const XSession& x, const QString&) {
             x.keys({"Tab"});  // from the site list to Rotate Current
             return true;
         },
         1,  // "You have not selected a site!"
         [](const XSession& x, ProgramCopy& data) {
             EXPECT_EQ(x.visibleWindows(kSpindlewayBox).size(), 1);
             EXPECT_EQ(storedPosition(data), 1);
             EXPECT_EQ(data.entriesBelow("www"), QStringList());
         }},
        {"Lumenfold: Build! of the site editor", "Lumenfold", addGallerySite,
         [](const XSession& x, const QString& main) {
             if (!openSiteEditor(x, main)) return false;
             x.keys({"shift+Tab", "shift+Tab", "shift+Tab", "shift+Tab"});  // Close, Help, Build All, Build!
             return true;
         },
         1,  // the build dialog, whose Start is not pressed
         [](const XSession& x, ProgramCopy& data) {
             EXPECT_EQ(x.visibleWindows(kBuild).size(), 1);
             EXPECT_EQ(data.entriesBelow("site"), unbuiltRotation(1) + unbuiltRotation(2) + unbuiltRotation(3));
         }},
        {"Lumenfold: Delete Rotation's question, answered by the hold", "Lumenfold", addGallerySite,
         [](const XSession& x, const QString& main) {
             if (!openSiteEditor(x, main)) return false;
             // The last rotation chosen in the list, then Delete Rotation pressed once.
             x.keys({"Tab", "End", "Tab", "Tab", "space"});
             return !x.waitForFocusedWindow(kLumenfold).isEmpty();
         },
         0,
         [](const XSession& x, ProgramCopy& data) {
             EXPECT_EQ(x.visibleWindows(kLumenfold).size(), 1) << "the question is still open";
             EXPECT_EQ(x.visibleWindows(kEditor).size(), 1);
             EXPECT_EQ(x.visibleWindows(kBuild).size(), 0);
             // Rotation 3 went once; the editor then shows rotation 1, which is not built.
             EXPECT_EQ(data.entriesBelow("site"), unbuiltRotation(1) + unbuiltRotation(2));
             EXPECT_EQ(platform::IniFile(data.path() + "Site_1.ini").readInteger("General", "RotationCount", -1), 2);
         }},
        {"Lumenfold: the HTML editor of the header", "Lumenfold", addGallerySite,
         [](const XSession& x, const QString& main) {
             if (!openSiteEditor(x, main)) return false;
             // Back past Build! and the settings buttons and the footer choice to Edit Header.
             QStringList back;
             for (int i = 0; i < 9; ++i) back << "shift+Tab";
             x.keys(back + QStringList{"space"});
             if (x.waitForFocusedWindow("Edit Header").isEmpty()) return false;
             x.keys({"Tab", "Tab", "space"});  // past the HTML field to Edit..
             return !x.waitForFocusedWindow("Create HTML").isEmpty();
         },
         0,
         [](const XSession& x, ProgramCopy& data) {
             // OK in the HTML editor and in the header dialog, then the site editor closed: it
             // stores the header with a bar for each line break.
             x.keys({"shift+Tab", "Return"});
             if (x.waitForFocusedWindow("Edit Header").isEmpty()) return;
             x.keys({"shift+Tab", "Return"});
             if (x.waitForFocusedWindow(kEditor).isEmpty()) return;
             x.keys({"Escape"});
             if (x.waitForFocusedWindow(kLumenfold).isEmpty() || !data.waitUntilIdle()) return;
             const QString header =
                 platform::IniFile(data.path() + "Site_1.ini").readString("Rotation_1", "Header_HTML", "");
             std::cout << "line breaks: " << header.count('|') << "\n";
             EXPECT_GE(header.count('|'), 20) << header.toStdString();
             EXPECT_TRUE(header.endsWith("|<b>hello</b>")) << header.toStdString();
         }},
        {"Lumenfold: New Site.. of the main window", "Lumenfold", noSites, tabsToButton(1), 1, checkOneNewSite},
        {"Lumenfold: New Site.. of the main window, pressed once",
         "Lumenfold",
         noSites,
         tabsToButton(1),
         1,
         checkOneNewSite,
         {"Return", false}},
        {"Lumenfold: About.. of the main window, the keypad's Enter",
         "Lumenfold",
         noSites,
         tabsToButton(3),  // past Options..
         1,
         [](const XSession& x, ProgramCopy& data) {
             EXPECT_EQ(x.visibleWindows("About Lumenfold Pro").size(), 1);
             EXPECT_FALSE(QFileInfo::exists(data.path() + "sites.ini")) << "a site was made";
         },
         {"KP_Enter"}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        std::cout << row.name << "\n";
        ProgramCopy data(row.program);
        row.prepare(data);
        const QString main = data.start(x, row.program == QString("Spindleway") ? kSpindleway : kLumenfold);
        if (main.isEmpty() || !row.reach(x, main) || !data.waitUntilIdle()) continue;

        WindowWatch watch(x, data.path() + "windows.txt");
        if (row.press.held)
            x.holdKey(row.press.key);
        else
            x.keys({row.press.key});
        if (!data.waitUntilIdle()) continue;
        const int shown = watch.windowsShown();
        std::cout << "windows shown: " << shown << "\n";
        EXPECT_EQ(shown, row.windowsShown);
        row.check(x, data);
    }
}
