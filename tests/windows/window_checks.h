#pragma once
// Checks of windows open on the test screen (1024 x 600, see tests/CMakeLists.txt), and what a
// Help button opened, through the opener seam, checked against the real help file.
#include "platform/help.h"
#include "platform/shell_open.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QFile>
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

// Puts the program's help file into the data directory, as the build does beside the programs.
inline void copyHelpFileTo(const QString& dataDirectory) {
    const QString source = qEnvironmentVariable("LUMENFOLD_SOURCE_DIR") + "/data/" + platform::HelpFileName;
    ASSERT_TRUE(QFile::copy(source, dataDirectory + platform::HelpFileName)) << source.toStdString();
}

// Records what the Help buttons open; expectTopic checks that the last URL is the help file at the
// context's topic (0: at its contents) and that the file has that topic with text.
class OpenedHelp {
public:
    OpenedHelp() { platform::setDocumentOpenerForTesting([this](const QString& url) { return urls << url, true; }); }
    ~OpenedHelp() { platform::setDocumentOpenerForTesting([](const QString&) { return true; }); }

    void expectTopic(int context, const std::string& where) const {
        ASSERT_FALSE(urls.isEmpty()) << where;
        const QUrl url(urls.last());
        EXPECT_EQ(url.toLocalFile(), platform::helpFile()) << where;
        EXPECT_TRUE(url.path().endsWith(".html")) << where;
        const QString anchor = context ? "context" + QString::number(context) : QString();
        EXPECT_EQ(url.fragment(), anchor) << where;
        QFile file(url.toLocalFile());
        ASSERT_TRUE(file.open(QIODevice::ReadOnly)) << where;
        const QRegularExpression topic("id=\"" + anchor + "\">[^<]+</h2>\\s*<p>\\w");
        EXPECT_TRUE(anchor.isEmpty() || topic.match(QString::fromUtf8(file.readAll())).hasMatch()) << where;
    }

    QStringList urls;
};

}  // namespace testing_support
