#pragma once
// Checks of windows open on the test screen (1024 x 600, see tests/CMakeLists.txt), and what a
// Help button opened, through the opener seam, checked against the help the build made.
#include "platform/help.h"
#include "platform/shell_open.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QRegularExpression>
#include <QScreen>
#include <QUrl>
#include <gtest/gtest.h>

namespace testing_support {

// Run by hand, the program gets the small screen as well (ctest puts it into the environment).
[[maybe_unused]] inline const bool smallScreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", SMALL_SCREEN_PLATFORM);
    return true;
}();

// The window lies inside the available area (centred there when asked: its frame is not known
// before it is first shown, hence some slack) and each captioned button has at least its size
// hint's height, or each button, edit and spin box its whole size hint; a screenshot is written.
inline void expectFitsScreen(QWidget& window, const std::string& name, bool centred, bool wholeHints = false) {
    ASSERT_TRUE(window.isVisible()) << name;
    QApplication::processEvents();
    const QRect area = window.screen()->availableGeometry(), frame = window.frameGeometry();
    ASSERT_EQ(area.size(), QSize(1024, 600)) << "the test screen was not set up";
    EXPECT_TRUE(area.contains(frame)) << name << ": " << frame.x() << "," << frame.y() << " " << frame.width() << "x"
                                      << frame.height();
    if (centred) {
        EXPECT_NEAR(frame.center().x(), area.center().x(), 12) << name;
        EXPECT_NEAR(frame.center().y(), area.center().y(), 24) << name;
    }
    for (QWidget* control : window.findChildren<QWidget*>()) {
        const bool button = qobject_cast<QAbstractButton*>(control) != nullptr;
        const bool edit = qobject_cast<QAbstractSpinBox*>(control) ||
                          (qobject_cast<QLineEdit*>(control) && !qobject_cast<QAbstractSpinBox*>(control->parent()));
        if (!control->isVisibleTo(&window) || control->window() != &window || !(button || edit)) continue;
        const QSize hint = control->sizeHint();
        const QString caption = button ? static_cast<QAbstractButton*>(control)->text() : QString();
        if (wholeHints)
            EXPECT_TRUE(control->width() >= hint.width() && control->height() >= hint.height())
                << name << ": " << control->metaObject()->className() << " " << control->width() << "x"
                << control->height() << " below " << hint.width() << "x" << hint.height();
        else if (!caption.isEmpty())  // an icon-only tool button a pixel short loses nothing
            EXPECT_GE(control->height(), hint.height()) << name << ": " << caption.toStdString();
    }
    const QString artifacts = QStringLiteral(WINDOW_ARTIFACTS_DIR "/");
    ASSERT_TRUE(QDir().mkpath(artifacts));
    EXPECT_TRUE(window.grab().save(artifacts + QString::fromStdString(name) + ".png"));
}

// Puts the programs' help, as the build leaves it beside the programs (the help file and a page
// per topic), into the data directory.
inline void copyHelpFileTo(const QString& dataDirectory) {
    const QDir built(qEnvironmentVariable("LUMENFOLD_BIN_DIR"));
    const QStringList pages = built.entryList({QFileInfo(platform::HelpFileName).completeBaseName() + "*.html"});
    ASSERT_TRUE(pages.contains(platform::HelpFileName)) << built.path().toStdString();
    for (const QString& page : pages) ASSERT_TRUE(QFile::copy(built.filePath(page), dataDirectory + page));
}

// Records what the Help buttons hand to the opener; expectTopic checks that the last target is a
// page beside the help file, without a fragment an opener could drop, whose body begins with the
// topic's heading and its text.
class OpenedHelp {
public:
    OpenedHelp() { platform::setDocumentOpenerForTesting([this](const QString& url) { return targets << url, true; }); }
    ~OpenedHelp() { platform::setDocumentOpenerForTesting([](const QString&) { return true; }); }

    void expectTopic(const QString& heading, const std::string& where) const {
        ASSERT_FALSE(targets.isEmpty()) << where;
        const QString target = targets.last();
        EXPECT_FALSE(target.contains('#')) << where << ": " << target.toStdString();
        const QFileInfo page(target.startsWith("file:") ? QUrl(target).toLocalFile() : target);
        EXPECT_EQ(page.absolutePath(), QFileInfo(platform::helpFile()).absolutePath()) << where;
        EXPECT_EQ(page.suffix(), "html") << where;
        QFile file(page.filePath());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << where << ": " << target.toStdString();
        const QString html = QString::fromUtf8(file.readAll());
        const QRegularExpression start("<body>\\s*<h([12])[^>]*>" + QRegularExpression::escape(heading) +
                                       "</h\\1>\\s*<p>\\w");
        EXPECT_TRUE(start.match(html).hasMatch()) << where << ": " << target.toStdString();
    }

    QStringList targets;
};

}  // namespace testing_support
