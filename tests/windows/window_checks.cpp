#include "tests/windows/window_checks.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QScreen>
#include <QWidget>
#include <gtest/gtest.h>

namespace testing_support {

namespace {

// Run by hand, the program gets the small screen as well (ctest puts it into the environment).
[[maybe_unused]] const bool smallScreen = [] {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", SMALL_SCREEN_PLATFORM);
    return true;
}();

std::string text(const QRect& r) {
    return QString("%1,%2 %3x%4").arg(r.x()).arg(r.y()).arg(r.width()).arg(r.height()).toStdString();
}

QString artifactsDirectory() { return QStringLiteral(WINDOW_ARTIFACTS_DIR "/"); }

template <typename Control>
QList<Control*> visibleControls(QWidget& window) {
    QList<Control*> shown;
    for (Control* control : window.findChildren<Control*>())
        if (control->isVisibleTo(&window) && control->window() == &window) shown << control;
    return shown;
}

}  // namespace

void expectFitsScreen(QWidget& window, const QString& name, Centred centred) {
    ASSERT_TRUE(window.isVisible()) << name.toStdString();
    QApplication::processEvents();
    const QRect area = window.screen()->availableGeometry();
    ASSERT_EQ(area.size(), QSize(1024, 600)) << "the test screen was not set up";
    const QRect frame = window.frameGeometry();
    EXPECT_TRUE(area.contains(frame)) << name.toStdString() << ": " << text(frame) << " outside " << text(area);
    if (centred == Centred::Yes) {
        // The window's frame is not known before it is first shown: some pixels of slack.
        EXPECT_NEAR(frame.center().x(), area.center().x(), 12) << name.toStdString();
        EXPECT_NEAR(frame.center().y(), area.center().y(), 24) << name.toStdString();
    }
    // Buttons with a caption: an icon-only tool button a pixel short loses nothing.
    for (QAbstractButton* button : visibleControls<QAbstractButton>(window))
        if (!button->text().isEmpty())
            EXPECT_GE(button->height(), button->sizeHint().height())
            << name.toStdString() << ": " << button->text().toStdString();
    ASSERT_TRUE(QDir().mkpath(artifactsDirectory()));
    EXPECT_TRUE(window.grab().save(artifactsDirectory() + name + ".png"));
}

void expectControlsAtSizeHint(QWidget& window, const QString& name) {
    QList<QWidget*> controls;
    for (QWidget* w : visibleControls<QAbstractButton>(window)) controls << w;
    for (QLineEdit* w : visibleControls<QLineEdit>(window))
        if (!qobject_cast<QAbstractSpinBox*>(w->parentWidget())) controls << w;  // a spin box's own edit
    for (QWidget* w : visibleControls<QAbstractSpinBox>(window)) controls << w;
    for (QWidget* control : controls) {
        const QSize hint = control->sizeHint();
        EXPECT_TRUE(control->width() >= hint.width() && control->height() >= hint.height())
            << name.toStdString() << ": " << control->metaObject()->className() << " "
            << text(control->geometry()) << " below its hint " << hint.width() << "x" << hint.height();
    }
}

}  // namespace testing_support
