// TXThumbGrid: drawing a cell, with its thumbnail made on first sight.
#include "components/thumb_grid.h"

#include "components/thumb_grid_names.h"

#include <QFileInfo>
#include <QPainter>

namespace {

// Colours of the cell (the frame colours are greys).
const QColor SelectedBackground(0, 0, 128);
const QColor CurrentFrame(255, 255, 0);
const QColor ShadowGrey(0x80, 0x80, 0x80);

bool isSupported(const QString& Path, const QString& Formats) {
    if (Formats.isEmpty()) return true;
    const QString name = QFileInfo(Path).fileName();
    const int dot = int(name.lastIndexOf(QLatin1Char('.')));
    // A name without extension has nothing to look up: it is not a supported format.
    if (dot < 0) return false;
    return Formats.toUpper().contains(name.mid(dot).toUpper());
}

// The frame just outside the inner rectangle: left and top edges in one colour, right and bottom
// in another.
void drawBevel(QPainter& p, const QRect& inner, const QColor& topLeft, const QColor& bottomRight) {
    const int l = inner.left() - 1, t = inner.top() - 1, r = inner.right() + 1, b = inner.bottom() + 1;
    p.setPen(topLeft);
    p.drawLine(l, b, l, t);
    p.drawLine(l, t, r, t);
    p.setPen(bottomRight);
    p.drawLine(r, t, r, b);
    p.drawLine(r, b, l, b);
}

void drawShadow(QPainter& p, const QRect& picture) {
    const int l = picture.left(), t = picture.top(), r = picture.right() + 1, b = picture.bottom() + 1;
    p.setPen(QPen(ShadowGrey, 2, Qt::SolidLine, Qt::SquareCap, Qt::MiterJoin));
    const QPoint line[3] = {QPoint(l + 2, b + 1), QPoint(r + 1, b + 1), QPoint(r + 1, t + 2)};
    p.drawPolyline(line, 3);
    p.setPen(ShadowGrey);
    p.drawPoint(l + 2, b);
}

}  // namespace

QSize TXThumbGrid::thumbBox() const {
    if (displayType_ == tdtIconInfo) return {thumbnailWidth_ / 2, thumbnailHeight_ / 2};
    return {thumbnailWidth_, thumbnailHeight_};
}

TThumbnailPtr TXThumbGrid::thumbnailFor(const QString& Path) {
    if (TThumbnailPtr cached = memoryCache_.Find(Path)) return cached;
    TPixelGraphic fromDisk;
    if (diskCache_.Load(Path, fromDisk)) {
        TThumbnailPtr thumb = ThumbnailFromGraphic(fromDisk);
        // Kept in memory too, so a repaint does not read the cache file again.
        if (thumb) memoryCache_.Add(Path, thumb, MemoryCacheMaxCacheCount);
        if (thumb) return thumb;
    }
    const QSize box = thumbBox();
    std::shared_ptr<TThumbnail> made =
        MakeThumbnail(Path, box.width(), box.height(), displayType_ == tdtIconInfo ? 2 : 1);
    if (!made) return nullptr;
    diskCache_.Add(Path, made->Graphic);
    memoryCache_.Add(Path, made, MemoryCacheMaxCacheCount);
    return made;
}

void TXThumbGrid::DrawCell(QPainter& Painter, int Column, int Row, const QRect& Rect) {
    if (updating_ || sourceKind_ == SourceKind::None) return;
    try {
        QPainter& p = Painter;
        p.save();
        const QColor gridColour = palette().color(QPalette::Base);
        const QRect inner = Rect.adjusted(cellPadding_, cellPadding_, -cellPadding_, -cellPadding_);
        p.fillRect(Rect, gridColour);
        const int index = indexOf(Column, Row);
        const QString path = Column < columnCount() ? Path(index) : QString();
        if (path.isEmpty()) {
            p.restore();
            return;
        }
        const bool selected = selected_[size_t(index)];
        const bool current = index == current_;
        if (current && HighlightCurrentCell) {
            p.setPen(QPen(CurrentFrame, 1, Qt::DotLine));
            p.setBrush(Qt::NoBrush);
            p.drawRect(inner.adjusted(-1, -1, 0, 0));
        }
        p.fillRect(inner, selected ? SelectedBackground : gridColour);
        const QColor textColour = palette().color(selected ? QPalette::HighlightedText : QPalette::WindowText);
        if ((selected || displayType_ == tdtIconInfo) && !current) {
            if (selected) drawBevel(p, inner, Qt::black, QColor(0xDE, 0xDE, 0xDE));
            else drawBevel(p, inner, QColor(0xEF, 0xEF, 0xEF), QColor(0x99, 0x99, 0x99));
        }

        // The name.
        QString name = QFileInfo(path).fileName();
        if (HideFileExtensions) name = ThumbNameWithoutExtension(name);
        const QFontMetrics metrics(font());
        const int available = displayType_ == tdtIconInfo ? filenameTextWidth_ : inner.width() - 6;
        name = ElideThumbName(name, metrics, available);
        p.setPen(textColour);
        p.setFont(font());
        if (displayType_ == tdtLargeIcon) {
            const int x = std::max(inner.left() + 3, inner.left() + (inner.width() - metrics.horizontalAdvance(name)) / 2);
            const int top = inner.bottom() + 1 - 3 - metrics.height();
            p.drawText(x, top + metrics.ascent(), name);
        } else if (displayType_ == tdtFilename) {
            p.drawText(inner.left(), inner.top() + metrics.ascent(), name);
        }

        // The thumbnail.
        if (displayType_ != tdtFilename) {
            TThumbnailPtr thumb;
            if (isSupported(path, SupportedFormats)) thumb = thumbnailFor(path);
            else if (!NonSupportedFormatThumb.isEmpty()) thumb = thumbnailFor(NonSupportedFormatThumb);
            if (!thumb && !LoadErrorThumb.isEmpty()) thumb = thumbnailFor(LoadErrorThumb);
            if (thumb && !thumb->Image.isNull()) {
                const bool iconInfo = displayType_ == tdtIconInfo;
                const QSize box = thumbBox();
                const QSize shown = iconInfo ? thumb->Image.size() / 2 : thumb->Image.size();
                const QPoint at = inner.topLeft() + QPoint(2, 2) + ThumbCentringOffset(shown, box.width(), box.height());
                const QRect picture(at, shown);
                if (iconInfo) p.drawImage(picture, thumb->Image);
                else p.drawImage(at, thumb->Image);
                drawShadow(p, picture);
            }
        }
        p.restore();
    } catch (const std::exception&) {
        // A cell that cannot be drawn stays as far as it got; the other cells still paint.
        Painter.restore();
    }
}
