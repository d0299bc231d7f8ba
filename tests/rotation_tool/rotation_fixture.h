#pragma once
// A running rotation tool for tests: a temporary data directory with sites and built rotations,
// and the three long-lived forms created in the program's order.
#include "platform/ini_file.h"
#include "rotation_tool/main_window.h"
#include "rotation_tool/rotation_log_dialog.h"
#include "rotation_tool/rotation_options_dialog.h"
#include "rotation_tool/run_mode.h"
#include "site_manager/site_record.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QListWidget>
#include <QRegularExpression>
#include <gtest/gtest.h>
#include <memory>

class RotationToolTest : public ::testing::Test {
protected:
    // Starts the tool over the data directory as the files stand now.
    void startTool(const QStringList& arguments = {}) {
        tsiterecord = SiteRecord{};
        main = std::make_unique<rotation_tool::TfrmMain>(arguments);
        options = new rotation_tool::TdlgRotOpt(main.get());
        log = new rotation_tool::TdlgLog(main.get());
        main->show();
    }

    void TearDown() override {
        main.reset();
        UnattendedRun = false;
    }

    // A site "key" named "name" in sites.ini with its [General] section; its directory is
    // data/<key>/ (stored data-relative) and its live directory data/live_<key>/.
    void addSite(const QString& key, const QString& name, int rotationCount, int position, bool autoRotate = true) {
        platform::IniFile sites(data.file("sites.ini"));
        sites.writeString("Sites", key, name);
        platform::IniFile site(data.file(key + ".ini"));
        site.writeString("General", "Name", name);
        site.writeString("General", "Path", "%\\" + key);
        site.writeString("General", "LivePath", livePath(key));
        site.writeString("General", "AutoRotate", autoRotate ? "True" : "False");
        site.writeInteger("General", "RotationCount", rotationCount);
        site.writeInteger("General", "CurrentRotationPosition", position);
    }

    QString livePath(const QString& key) const { return data.path() + "live_" + key + "/"; }

    // A built rotation n of the site: its section names data/<key>/R<n>/, which gets the first
    // page (unless left out), a page, an image and a thumbnail, each marked with n.
    void addRotation(const QString& key, int n, bool withFirstPage = true) {
        const QString dir = key + "/R" + QString::number(n) + "/";
        platform::IniFile(data.file(key + ".ini"))
            .writeString("Rotation_" + QString::number(n), "Rotation_Path", "%\\" + dir);
        const QByteArray mark = QByteArray::number(n);
        if (withFirstPage) data.write(dir + "Index.html", "index of rotation " + mark);
        data.write(dir + "page2.htm", "page 2 of rotation " + mark);
        data.write(dir + "photo.jpg", "photo of rotation " + mark);
        data.write(dir + "thumbs/photo_thb.jpg", "thumb of rotation " + mark);
    }

    int storedPosition(const QString& key) const {
        return platform::IniFile(data.file(key + ".ini")).readInteger("General", "CurrentRotationPosition", -99);
    }

    QByteArray live(const QString& key, const QString& file) const { return data.read("live_" + key + "/" + file); }

    // Selects the list item of a key as a click would.
    void clickSite(const QString& key) {
        const auto items = main->lbxsites->findItems(key, Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1) << key.toStdString();
        main->lbxsites->setCurrentItem(items.first());
        main->lbxsitesClick();
    }

    // True when the log holds the line prefix ("!" or "*") + date-time + " - " + message.
    static bool hasLogLine(const QStringList& lines, const QString& prefix, const QString& message) {
        const QRegularExpression form("^" + QRegularExpression::escape(prefix) + " .+ - " +
                                      QRegularExpression::escape(message) + "$");
        for (const QString& line : lines)
            if (form.match(line).hasMatch()) return true;
        return false;
    }
    bool logHasError(const QString& message) const { return hasLogLine(log->lines(), "!", message); }
    bool logHasInfo(const QString& message) const { return hasLogLine(log->lines(), "*", message); }

    testing_support::TempDataDir data;
    std::unique_ptr<rotation_tool::TfrmMain> main;
    rotation_tool::TdlgRotOpt* options = nullptr;
    rotation_tool::TdlgLog* log = nullptr;
};
