#include "platform/help.h"
#include "site_manager/about_box.h"
#include "site_manager/site_paths.h"
#include "tests/common/list_gestures.h"
#include "tests/rotation_tool/rotation_fixture.h"

#include <QApplication>
#include <QDir>
#include <QKeyEvent>
#include <QKeySequence>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <functional>

using platform::MessageResult;
using testing_support::MessageScript;

TEST(RotationCommandLine, AcceptsTheRotateFormsInAnyCase) {
    for (const char* argument : {"/ROTATE", "/rotate", "/Rot", "/r", "ROTATE", "rot", "r", "\"/ROTATE\"", "\"/r\""})
        EXPECT_TRUE(rotation_tool::isRotateArgument(argument)) << argument;
    for (const char* argument : {"-rotate", "/ROTATEX", "\"ROTATE\"", "/", "", "rotate now"})
        EXPECT_FALSE(rotation_tool::isRotateArgument(argument)) << argument;
}

TEST_F(RotationToolTest, AnUnknownArgumentIsReportedAndTheToolStaysInteractive) {
    {
        MessageScript script;
        script.answer(MessageResult::OK);
        startTool({"-Rotate", "/ROTATE"});  // only the first argument counts
        EXPECT_EQ(script.lastText(), "Parameter is not relevant: -Rotate");
        EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
    }
    EXPECT_FALSE(UnattendedRun);
    EXPECT_FALSE(main->Timer1->isActive());
    EXPECT_EQ(main->windowTitle(), "Lumenfold Pro - Site Rotation Tool");
    EXPECT_EQ(platform::helpFile(), data.path() + "Lumefold.html");
}

TEST_F(RotationToolTest, NoArgumentIsInteractiveAndRotateIsUnattended) {
    startTool();
    EXPECT_FALSE(UnattendedRun);
    EXPECT_FALSE(main->Timer1->isActive());
    main.reset();
    startTool({"/rotate"});
    EXPECT_TRUE(UnattendedRun);
    EXPECT_TRUE(main->Timer1->isActive());
    main->Timer1->stop();
}

TEST_F(RotationToolTest, ShowsTheSitesAndTheStatusOfTheSelectedOne) {
    addSite("Site_3", "Garden", 4, 7);
    addSite("Site_1", "Kitchen", 2, 1, false);
    platform::IniFile(data.file("Site_1.ini")).deleteKey("General", "RotationCount");
    platform::IniFile(data.file("sites.ini")).writeString("Sites", "Site_9", "Ghost");
    startTool();
    EXPECT_EQ(DataDirectory, data.path());
    ASSERT_EQ(main->lbxsites->count(), 3);
    EXPECT_EQ(main->lbxsites->item(0)->text(), "Site_3");
    EXPECT_EQ(main->lbxsitename->item(1)->text(), "Kitchen");
    EXPECT_TRUE(main->lblsitename->text().isEmpty());  // nothing selected yet
    EXPECT_TRUE(main->lblautorotate->text().isEmpty());

    clickSite("Site_3");
    EXPECT_EQ(main->lblsitename->text(), "Garden");
    EXPECT_EQ(main->lbllocation->text(), data.path() + "Site_3");  // expanded, no trailing separator
    EXPECT_EQ(main->lblrotationcount->text(), "4");
    EXPECT_EQ(main->lblautorotate->text(), "Yes");
    EXPECT_EQ(main->lbllivepath->text(), livePath("Site_3"));
    EXPECT_EQ(main->lblcurrentrotation->text(), "7");  // as stored, not checked against the count

    clickSite("Site_1");
    EXPECT_EQ(main->lblrotationcount->text(), "20");  // no RotationCount stored
    EXPECT_EQ(main->lblautorotate->text(), "No");
    EXPECT_TRUE(main->lbllivepath->text().isEmpty());
    EXPECT_TRUE(main->lblcurrentrotation->text().isEmpty());

    // The list changed on disk: a key without a name shows as an error.
    platform::IniFile(data.file("sites.ini")).deleteKey("Sites", "Site_9");
    main->rebuildSiteNameList();
    EXPECT_EQ(main->lbxsitename->item(2)->text(), "Error: Site_9");
    EXPECT_FALSE(main->loadsite("Site_9"));  // no site file, so no path

    main->lbxsites->clearSelection();
    main->lbxsites->setCurrentRow(-1);
    main->doselectionstatus();
    EXPECT_TRUE(tsiterecord.key.isEmpty());
    EXPECT_TRUE(main->lblsitename->text().isEmpty());
    EXPECT_TRUE(main->lbllocation->text().isEmpty());
}

TEST_F(RotationToolTest, LoadsiteReadsGeneralWithTheToolsOwnDefaults) {
    data.write("Site_5.ini",
               "[General]\r\nName=Shed\r\nPath=%\\sheds\\\r\nAutoRotate=true\r\nCurrentRotationPosition=abc\r\n"
               "RotationCount=x\r\n");
    startTool();
    EXPECT_TRUE(main->loadsite("Site_5"));
    EXPECT_EQ(tsiterecord.key, "Site_5");
    EXPECT_EQ(tsiterecord.Path, data.path() + "sheds/");
    EXPECT_EQ(tsiterecord.BaseHTMLName, "Index.html");
    EXPECT_FALSE(tsiterecord.AutoRotate);  // no live path
    EXPECT_EQ(tsiterecord.CurrentRotationPosition, 1);
    EXPECT_EQ(tsiterecord.RotationCount, 20);
}

TEST_F(RotationToolTest, InteractiveCloseWritesTheOptionsAndReportsAFailure) {
    startTool();
    main->close();
    const platform::IniFile saved(data.file("options.ini"));
    EXPECT_EQ(saved.readSection("Options"),
              QStringList({"MailFrom", "MailTo", "MailUserID", "MailPort", "MailHost", "LogFileName", "LogOnlyErrors",
                           "Logging", "EmailLog", "CreateBackups", "EmailOnlyErrors"}));
    EXPECT_EQ(saved.readString("Options", "Logging", ""), "True");
    EXPECT_EQ(saved.readString("Options", "CreateBackups", ""), "False");
    EXPECT_EQ(saved.readString("Options", "LogFileName", ""), data.path() + "log.txt");

    main.reset();
    QDir(data.path()).remove("options.ini");
    QDir(data.path()).mkdir("options.ini");  // cannot be written as a file
    startTool();
    MessageScript script;
    script.answer(MessageResult::OK);
    main->close();
    EXPECT_EQ(script.lastText(), "Error encountered saving your settings!  You may be out of disk space!");
}

TEST_F(RotationToolTest, AboutBoxShowsTheToolsOwnName) {
    startTool();
    QString product, caption, version;
    MessageScript script;
    script.onDialog([&](QDialog& dialog) {
        auto& about = static_cast<TAboutBox&>(dialog);
        product = about.ProductName->text();
        caption = about.windowTitle();
        version = about.LBLVERSION->text();
        return int(platform::mrOk);
    });
    main->btnabout->click();
    EXPECT_EQ(product, "Spindleway");
    EXPECT_EQ(caption, "About Spindleway");
    EXPECT_EQ(version, "Version 1.0");
}

TEST_F(RotationToolTest, TheBannerKeepsItsPlaceAndTheControlsTheirsThroughRotateAll) {
    addSite("Site_1", "Garden", 1, 1);
    addRotation("Site_1", 1);
    startTool();
    QApplication::processEvents();
    const auto places = [this] {
        return std::make_tuple(main->Label7->geometry(), main->lbxsites->mapTo(main.get(), QPoint()),
                               main->btnRotateCurrent->mapTo(main.get(), QPoint()), main->size());
    };
    const auto before = places();
    MessageScript script;
    script.onDialog([](QDialog&) { return int(platform::mrOk); });  // the log shown at the end
    main->btnrotateallClick();
    QApplication::processEvents();
    EXPECT_TRUE(main->Label7->text().isEmpty());
    EXPECT_TRUE(places() == before);
}

namespace {

// Three sites; site k has its rotation k built and k as its count and position, so each live page
// tells whose rotation it is.
class SiteListTest : public RotationToolTest {
protected:
    void startWithThreeSites(const QStringList& keys, const QStringList& names) {
        for (int k = 1; k <= 3; ++k) {
            addSite(keys[k - 1], names[k - 1], k, k);
            addRotation(keys[k - 1], k);
            QDir(livePath(keys[k - 1])).removeRecursively();
        }
        startTool();
    }

    // Only the site at index rotated (none for -1) went live and moved on.
    void expectOnlyRotated(const QStringList& keys, int rotated) {
        for (int k = 1; k <= 3; ++k) {
            const bool wentLive = k - 1 == rotated;
            EXPECT_EQ(live(keys[k - 1], "Index.html"), wentLive ? "index of rotation " + QByteArray::number(k) : "")
                << keys[k - 1].toStdString();
            EXPECT_EQ(storedPosition(keys[k - 1]), wentLive ? k + 1 : k) << keys[k - 1].toStdString();
        }
    }
};

}  // namespace

// The site the list highlights is the one Rotate Current acts on, however it was chosen; Return and
// Enter press Rotate Current as a default button does.
TEST_F(SiteListTest, RotateCurrentActsOnTheSiteTheKeyboardHighlights) {
    const QStringList keys{"Site_1", "Site_2", "Site_3"};
    const QStringList names{"Garden", "Kitchen", "Cellar"};
    const struct {
        const char* clicked;  // null: nothing clicked first
        Qt::Key move;
        Qt::Key confirm;  // 0: the button is clicked
        int rotated;      // index into keys
    } cases[] = {
        {"Site_1", Qt::Key_Down, Qt::Key(0), 1},
        {"Site_2", Qt::Key_Up, Qt::Key_Return, 0},
        {"Site_1", Qt::Key_End, Qt::Key_Return, 2},
        {nullptr, Qt::Key_Home, Qt::Key_Enter, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            (QString(c.clicked ? c.clicked : "none") + " then " + QKeySequence(c.move).toString()).toStdString());
        startWithThreeSites(keys, names);
        auto* list = main->lbxsites;
        if (c.clicked) {
            const QRect item = list->visualItemRect(list->findItems(c.clicked, Qt::MatchExactly).first());
            QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, item.center());
        }
        list->setFocus();
        QTest::keyClick(list, c.move);
        EXPECT_EQ(main->lblsitename->text(), names[c.rotated]);  // the panel follows before anything runs

        QString heading;
        MessageScript script;
        script.onDialog([&](QDialog&) {
            heading = log->Label1->text();
            return int(platform::mrOk);
        });
        if (c.confirm)
            QTest::keyClick(list, c.confirm, c.confirm == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        else
            QTest::mouseClick(main->btnRotateCurrent, Qt::LeftButton);
        EXPECT_EQ(heading, "The current site has been updated!");
        EXPECT_EQ(tsiterecord.key, keys[c.rotated]);
        EXPECT_EQ(main->lblsitename->text(), names[c.rotated]);
        expectOnlyRotated(keys, c.rotated);
        main.reset();
    }

    // A button that has the focus takes Enter itself; while Rotate All runs, Enter does nothing.
    startTool();
    MessageScript script;
    script.onDialog([](QDialog& dialog) {
        EXPECT_NE(qobject_cast<TAboutBox*>(&dialog), nullptr);
        return int(platform::mrOk);
    });
    main->btnabout->setFocus();
    QTest::keyClick(main->btnabout, Qt::Key_Return);
    script.onDialog([&](QDialog&) {
        QTest::keyClick(main.get(), Qt::Key_Return);
        return int(platform::mrOk);
    });
    QTest::mouseClick(main->btnrotateall, Qt::LeftButton);
    EXPECT_EQ(script.dialogsShown(), 2);  // the about box and Rotate All's log, nothing more
}

// The site the list highlights is the record, however the highlight moved: Rotate Current rotates
// that site and no other, and nothing while no site is highlighted. Enter held down presses once.
TEST_F(SiteListTest, RotateCurrentActsOnTheSiteTheMouseAndKeysHighlight) {
    const QStringList keys{"Site_1", "Site_2", "Site_3"};
    const QStringList names{"Garden", "Kitchen", "Attic"};
    using testing_support::gesture;
    const struct {
        const char* name;
        std::function<void(QListWidget*)> act;
        int highlighted;  // the site shown and rotated; -1: none
    } cases[] = {
        {"a drag from the first site to the third",
         [](QListWidget* l) {
             gesture(l, "0");
             testing_support::dragRows(l, 0, 2);
         },
         2},
        {"Space on the row of the focus frame",
         [](QListWidget* l) {
             l->selectionModel()->setCurrentIndex(l->model()->index(0, 0), QItemSelectionModel::NoUpdate);
             QTest::keyClick(l, Qt::Key_Space);
         },
         0},
        {"a click on empty space", [](QListWidget* l) { gesture(l, "0 _"); }, -1},
        {"a Ctrl+click on the highlighted row", [](QListWidget* l) { gesture(l, "0 ^0"); }, -1},
        {"typing a letter",
         [](QListWidget* l) {
             gesture(l, "0");
             QTest::keyClicks(l, "s");
         },
         1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        startWithThreeSites(keys, names);
        c.act(main->lbxsites);
        EXPECT_EQ(main->lblsitename->text(), c.highlighted >= 0 ? names[c.highlighted] : QString());

        MessageScript script;
        if (c.highlighted >= 0)
            script.onDialog([](QDialog&) { return int(platform::mrOk); });
        else
            script.answer(MessageResult::OK);
        QTest::mouseClick(main->btnRotateCurrent, Qt::LeftButton);
        if (c.highlighted < 0) EXPECT_EQ(script.lastText(), "You have not selected a site!");
        expectOnlyRotated(keys, c.highlighted);
        main.reset();
    }

    // Enter held down: one press, its repeats, one release. Each repeat would close the log and
    // rotate again; only the first press rotates.
    addSite("Site_1", "Garden", 5, 1);
    for (int n = 1; n <= 5; ++n) addRotation("Site_1", n);
    startTool();
    gesture(main->lbxsites, "0");
    MessageScript script;
    script.onDialog([](QDialog&) { return int(platform::mrOk); });
    for (const bool repeat : {false, true, true, true}) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier, "\r", repeat);
        QApplication::sendEvent(main->lbxsites, &press);
    }
    QKeyEvent release(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier, "\r");
    QApplication::sendEvent(main->lbxsites, &release);
    EXPECT_EQ(script.dialogsShown(), 1);
    EXPECT_EQ(storedPosition("Site_1"), 2);
    EXPECT_EQ(live("Site_1", "Index.html"), "index of rotation 1");
}
