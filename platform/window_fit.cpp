#include "platform/window_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

// The border and title bar around the window. Before a window is first shown the window manager
// has not framed it yet, so a usual frame stands in: a window may not reach under the panel with
// its title bar just because its frame was not known.
QMargins frameMargins(const QWidget& window) {
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    const QMargins known(inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
                         frame.bottom() - inner.bottom());
    if (!known.isNull()) return known;
    const int border = 4;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) + border;
    return {border, title, border, border};
}

// The size a window's contents ask for: its size hint, with a wrapping label's height taken at the
// width the window will have.
QSize wantedSize(QWidget& window) {
    if (QLayout* layout = window.layout()) layout->activate();
    QSize size = window.size().expandedTo(window.sizeHint()).expandedTo(window.minimumSizeHint());
    if (window.hasHeightForWidth()) size.setHeight(std::max(size.height(), window.heightForWidth(size.width())));
    return size;
}

}  // namespace

void fitToScreen(QWidget& window, WindowPlacement placement) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QMargins frame = frameMargins(window);
    const QRect area = screen->availableGeometry().marginsRemoved(frame);
    if (area.isEmpty()) return;

    // A minimum larger than the screen would keep the window from being shrunk to it.
    if (window.minimumWidth() > area.width() || window.minimumHeight() > area.height())
        window.setMinimumSize(window.minimumSize().boundedTo(area.size()));
    const QSize size = wantedSize(window).boundedTo(area.size()).expandedTo(window.minimumSize());
    if (size != window.size()) window.resize(size);

    // pos() is the frame's corner, as move() takes it; the contents start inside the frame.
    QPoint topLeft = window.pos() + QPoint(frame.left(), frame.top());
    const int freeWidth = area.width() - size.width(), freeHeight = area.height() - size.height();
    if (placement == WindowPlacement::CentreOnScreen)
        topLeft = area.topLeft() + QPoint(freeWidth / 2, freeHeight / 2);
    else if (placement == WindowPlacement::UpperThird)
        topLeft = area.topLeft() + QPoint(freeWidth / 2, freeHeight / 3);
    topLeft.setX(std::clamp(topLeft.x(), area.left(), area.right() + 1 - size.width()));
    topLeft.setY(std::clamp(topLeft.y(), area.top(), area.bottom() + 1 - size.height()));
    const bool moved = window.testAttribute(Qt::WA_Moved);
    window.move(topLeft - QPoint(frame.left(), frame.top()));
    // A dialog shown again is placed over its parent anew, as it would be without this.
    if (!moved && placement == WindowPlacement::KeepPlace) window.setAttribute(Qt::WA_Moved, false);
}

}  // namespace platform
