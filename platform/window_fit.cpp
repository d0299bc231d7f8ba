#include "platform/window_fit.h"

#include <QGuiApplication>
#include <QLayout>
#include <QScreen>
#include <QStyle>
#include <QVariant>
#include <QWidget>

#include <algorithm>

namespace platform {

namespace {

// What a window keeps between its showings: the size it was given (by its code before it was
// first shown, or by the user since), and the size the last fit gave it.
constexpr char kGivenSize[] = "platform_fit_givenSize";
constexpr char kFittedSize[] = "platform_fit_fittedSize";

// The border and title bar of a usual frame. Before the window manager has framed a window its
// frame is not known, and it is framed at a different moment at each showing.
QMargins usualFrame(const QWidget& window) {
    const int border = 4;
    const int title = window.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &window) + border;
    return {border, title, border, border};
}

// The frame as the window manager has drawn it, null while it is not known.
QMargins knownFrame(const QWidget& window) {
    const QRect frame = window.frameGeometry(), inner = window.geometry();
    return {inner.left() - frame.left(), inner.top() - frame.top(), frame.right() - inner.right(),
            frame.bottom() - inner.bottom()};
}

// The larger of the two on each side: the room a window is sized for must not depend on
// whether its frame happened to be known yet, nor may its title bar reach under a panel.
QMargins sizingFrame(const QWidget& window) {
    const QMargins usual = usualFrame(window), known = knownFrame(window);
    return {std::max(usual.left(), known.left()), std::max(usual.top(), known.top()),
            std::max(usual.right(), known.right()), std::max(usual.bottom(), known.bottom())};
}

// A layout learns of a change in its widgets at once, but tells the layout around its own widget
// only when it is next activated, normally from the event loop after the window has been sized.
// Activated innermost first, every layout passes its change outwards now.
void activateLayouts(QWidget& window) {
    const auto depth = [&window](const QWidget* widget) {
        int levels = 0;
        for (; widget && widget != &window; widget = widget->parentWidget()) ++levels;
        return levels;
    };
    QList<QWidget*> nested = window.findChildren<QWidget*>();
    nested.removeIf([&window](const QWidget* widget) { return !widget->layout() || widget->window() != &window; });
    std::stable_sort(nested.begin(), nested.end(),
                     [&](const QWidget* a, const QWidget* b) { return depth(a) > depth(b); });
    for (QWidget* widget : nested) widget->layout()->activate();
    if (QLayout* layout = window.layout()) layout->activate();
}

// The size the window starts from. A size the window was given stays; what an earlier fit made
// of the contents it had then does not.
QSize givenSize(QWidget& window) {
    const QVariant fitted = window.property(kFittedSize);
    if (!fitted.isValid())  // first showing: a size set before it, or none (Qt's own guess)
        window.setProperty(kGivenSize, window.testAttribute(Qt::WA_Resized) ? window.size() : QSize(0, 0));
    else if (fitted.toSize() != window.size())  // resized since the last showing
        window.setProperty(kGivenSize, window.size());
    return window.property(kGivenSize).toSize();
}

// The size a window's contents ask for: its size hint, with a wrapping label's height taken at the
// width the window will have.
QSize wantedSize(QWidget& window, QSize given) {
    activateLayouts(window);
    QSize size = given.expandedTo(window.sizeHint()).expandedTo(window.minimumSizeHint());
    if (window.hasHeightForWidth()) size.setHeight(std::max(size.height(), window.heightForWidth(size.width())));
    return size;
}

}  // namespace

void fitToScreen(QWidget& window, WindowPlacement placement) {
    const QScreen* screen = window.screen() ? window.screen() : QGuiApplication::primaryScreen();
    if (!screen) return;
    const QRect available = screen->availableGeometry();
    const QRect area = available.marginsRemoved(sizingFrame(window));
    if (area.isEmpty()) return;

    // A minimum larger than the screen would keep the window from being shrunk to it.
    if (window.minimumWidth() > area.width() || window.minimumHeight() > area.height())
        window.setMinimumSize(window.minimumSize().boundedTo(area.size()));
    const QSize size = wantedSize(window, givenSize(window)).boundedTo(area.size()).expandedTo(window.minimumSize());
    // Always resized: a window Qt sees as never resized is sized again from its old contents at
    // its next showing.
    window.resize(size);
    window.setProperty(kFittedSize, size);

    // Placed by the frame as far as it is known; pos() is the frame's corner, as move() takes it.
    const QMargins known = knownFrame(window);
    const QMargins frame = known.isNull() ? usualFrame(window) : known;
    const QRect room = available.marginsRemoved(frame);
    QPoint topLeft = window.pos() + QPoint(frame.left(), frame.top());
    const int freeWidth = room.width() - size.width(), freeHeight = room.height() - size.height();
    if (placement == WindowPlacement::CentreOnScreen)
        topLeft = room.topLeft() + QPoint(freeWidth / 2, freeHeight / 2);
    else if (placement == WindowPlacement::UpperThird)
        topLeft = room.topLeft() + QPoint(freeWidth / 2, freeHeight / 3);
    topLeft.setX(std::clamp(topLeft.x(), room.left(), room.right() + 1 - size.width()));
    topLeft.setY(std::clamp(topLeft.y(), room.top(), room.bottom() + 1 - size.height()));
    const bool moved = window.testAttribute(Qt::WA_Moved);
    window.move(topLeft - QPoint(frame.left(), frame.top()));
    // A dialog shown again is placed over its parent anew, as it would be without this.
    if (!moved && placement == WindowPlacement::KeepPlace) window.setAttribute(Qt::WA_Moved, false);
}

}  // namespace platform
