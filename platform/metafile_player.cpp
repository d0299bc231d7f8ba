// The drawing state and operations shared by the standard and enhanced metafile players.
#include "platform/metafile_player.h"

#include <QFontMetricsF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace metafile_player {

namespace {

// Deeper SaveDC nesting than this is ignored: a damaged file must not grow the stack unbounded.
constexpr size_t MaxSavedStates = 1024;
// Text larger than this many pixels is drawn at this size (font rasterising time grows with it).
constexpr double MaxFontPixels = 2048;

bool finite(const QTransform& t) {
    return std::isfinite(t.m11()) && std::isfinite(t.m12()) && std::isfinite(t.m21()) && std::isfinite(t.m22()) &&
           std::isfinite(t.dx()) && std::isfinite(t.dy());
}

double nonZero(double v) { return v == 0 || !std::isfinite(v) ? 1 : v; }

// Pixels per logical unit of the fixed mapping modes (y grows upwards in all of them).
double fixedModeScale(int mode) {
    switch (mode) {
    case 2: return ReferencePixelsPerInch / 254.0;   // MM_LOMETRIC, 0.1 mm
    case 3: return ReferencePixelsPerInch / 2540.0;  // MM_HIMETRIC, 0.01 mm
    case 4: return ReferencePixelsPerInch / 100.0;   // MM_LOENGLISH, 0.01 inch
    case 5: return ReferencePixelsPerInch / 1000.0;  // MM_HIENGLISH, 0.001 inch
    case 6: return ReferencePixelsPerInch / 1440.0;  // MM_TWIPS
    default: return 0;
    }
}

// Angle in degrees (counter-clockwise from three o'clock) of p on the ellipse in r.
double ellipseAngle(const QRectF& r, QPointF p) {
    const QPointF c = r.center();
    return std::atan2(-(p.y() - c.y()) / (r.height() / 2), (p.x() - c.x()) / (r.width() / 2)) * 180 /
           std::numbers::pi;
}

}  // namespace

Player::Player(QPainter& painter, const QRectF& device, const QRect& target, bool enhanced, int objectCount)
    : painter_(painter), device_(device), target_(target), enhanced_(enhanced) {
    Objects.resize(size_t(std::clamp(objectCount, 0, 65535)));
    painter_.save();
    painter_.setClipRect(target_);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    if (!enhanced_) {
        // A standard metafile's window starts as its placeable bounds, shown on the whole target.
        State.MapMode = 8;
        State.WindowOrg = device_.topLeft();
        State.WindowExt = QPointF(device_.width(), device_.height());
        State.ViewportOrg = device_.topLeft();
        State.ViewportExt = State.WindowExt;
    }
    State.Font = MakeFont(0, 400, false, false, false, QString(), 0);
    UpdateTransform();
}

Player::~Player() {
    for (size_t i = 0; i < saved_.size(); ++i) painter_.restore();
    painter_.restore();
}

void Player::UpdateTransform() {
    QTransform map;
    const DcState& s = State;
    const double fixed = fixedModeScale(s.MapMode);
    if (fixed > 0) {
        map = QTransform(fixed, 0, 0, -fixed, s.ViewportOrg.x() - s.WindowOrg.x() * fixed,
                         s.ViewportOrg.y() + s.WindowOrg.y() * fixed);
    } else {
        double sx = 1, sy = 1;
        if (s.MapMode == 7 || s.MapMode == 8) {  // MM_ISOTROPIC, MM_ANISOTROPIC
            sx = s.ViewportExt.x() / nonZero(s.WindowExt.x());
            sy = s.ViewportExt.y() / nonZero(s.WindowExt.y());
            if (s.MapMode == 7) {
                const double m = std::min(std::abs(sx), std::abs(sy));
                sx = std::copysign(m, sx);
                sy = std::copysign(m, sy);
            }
        }
        map = QTransform(sx, 0, 0, sy, s.ViewportOrg.x() - s.WindowOrg.x() * sx,
                         s.ViewportOrg.y() - s.WindowOrg.y() * sy);
    }
    const double kx = target_.width() / nonZero(device_.width());
    const double ky = target_.height() / nonZero(device_.height());
    const QTransform toTarget(kx, 0, 0, ky, target_.left() - device_.left() * kx, target_.top() - device_.top() * ky);
    QTransform all = (enhanced_ ? s.World : QTransform()) * map * toTarget;
    if (!finite(all)) all = toTarget;
    painter_.setTransform(all);
}

void Player::SaveDc() {
    if (saved_.size() >= MaxSavedStates) return;
    saved_.push_back(State);
    painter_.save();
}

void Player::RestoreDc(int relative) {
    // Negative: that many levels back; positive: back to that absolute level.
    const int64_t levels = relative < 0 ? -int64_t(relative) : int64_t(saved_.size()) - relative + 1;
    if (levels <= 0 || levels > int64_t(saved_.size())) return;
    for (int64_t i = 0; i < levels; ++i) {
        State = saved_.back();
        saved_.pop_back();
        painter_.restore();
    }
    UpdateTransform();
}

QColor Player::ColorRef(uint32_t c) const {
    if ((c >> 24) == 1) {  // PALETTEINDEX
        const size_t i = c & 0xFFFF;
        if (i < State.SelectedPalette.size()) return QColor::fromRgb(State.SelectedPalette[i]);
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

bool Player::AddObject(GdiObject object) {
    for (auto& slot : Objects)
        if (!slot) {
            slot = std::move(object);
            return true;
        }
    return false;
}

void Player::SetObject(uint32_t index, GdiObject object) {
    if (index < Objects.size()) Objects[index] = std::move(object);
}

void Player::DeleteObject(uint32_t index) {
    if (index < Objects.size()) Objects[index].reset();
}

void Player::SelectIndex(uint32_t index) {
    if (index < Objects.size() && Objects[index]) SelectObject(*Objects[index]);
}

void Player::SelectObject(const GdiObject& object) {
    if (const auto* pen = std::get_if<QPen>(&object)) State.Pen = *pen;
    else if (const auto* brush = std::get_if<QBrush>(&object)) State.Brush = *brush;
    else if (const auto* font = std::get_if<FontObject>(&object)) State.Font = *font;
    else if (const auto* palette = std::get_if<PaletteObject>(&object)) State.SelectedPalette = palette->Colors;
}

QPen Player::MakePen(uint32_t style, double width, uint32_t colorRef, bool cosmetic) const {
    const uint32_t kind = style & 0x0F;
    if (kind == 5) return QPen(Qt::NoPen);  // PS_NULL
    QPen pen(ColorRef(colorRef));
    // A width beyond the picture itself only costs stroking time.
    const double limit = 4.0 * std::max(target_.width(), target_.height()) + 16;
    const double scale = std::max(1e-9, std::sqrt(std::abs(painter_.transform().determinant())));
    width = std::abs(width);
    pen.setWidthF(cosmetic || !std::isfinite(width) || width * scale <= 1 ? 0 : std::min(width, limit / scale));
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine};
    pen.setStyle(kind < 5 ? styles[kind] : Qt::SolidLine);
    const uint32_t cap = style & 0xF00, join = style & 0xF000;
    pen.setCapStyle(cap == 0x100 ? Qt::SquareCap : cap == 0x200 ? Qt::FlatCap : Qt::RoundCap);
    pen.setJoinStyle(join == 0x1000 ? Qt::BevelJoin : join == 0x2000 ? Qt::MiterJoin : Qt::RoundJoin);
    return pen;
}

QBrush Player::MakeBrush(uint32_t style, uint32_t colorRef, uint32_t hatch) const {
    switch (style) {
    case 0: return QBrush(ColorRef(colorRef));  // BS_SOLID
    case 1: return QBrush(Qt::NoBrush);         // BS_NULL
    case 2: {                                   // BS_HATCHED
        static const Qt::BrushStyle hatches[] = {Qt::HorPattern,   Qt::VerPattern,   Qt::FDiagPattern,
                                                 Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
        return QBrush(ColorRef(colorRef), hatch < 6 ? hatches[hatch] : Qt::SolidPattern);
    }
    default: return QBrush(ColorRef(colorRef));
    }
}

QBrush Player::MakePatternBrush(const QByteArray& packedDib) const {
    const auto& decode = TMetafile::GetDibDecoder();
    const QImage image = decode ? decode(packedDib) : QImage();
    if (image.isNull()) return QBrush(Qt::black);
    return QBrush(image);
}

FontObject Player::MakeFont(double height, int weight, bool italic, bool underline, bool strikeOut,
                            const QString& face, double escapement) {
    FontObject f;
    if (!face.isEmpty()) f.Font.setFamily(face);
    f.Font.setWeight(QFont::Weight(std::clamp(weight == 0 ? 400 : weight, 100, 900)));
    f.Font.setItalic(italic);
    f.Font.setUnderline(underline);
    f.Font.setStrikeOut(strikeOut);
    f.Height = std::isfinite(height) ? height : 0;
    f.Escapement = std::isfinite(escapement) ? escapement : 0;
    return f;
}

void Player::DrawShape(const QPainterPath& shape, bool fill, bool stroke) {
    if (recordingPath_) {
        path_.addPath(shape);
        return;
    }
    QPainterPath filled = shape;
    filled.setFillRule(State.FillRule);
    painter_.setPen(stroke ? State.Pen : QPen(Qt::NoPen));
    painter_.setBrush(fill ? State.Brush : QBrush(Qt::NoBrush));
    painter_.setBackgroundMode(State.OpaqueBackground ? Qt::OpaqueMode : Qt::TransparentMode);
    painter_.setBackground(State.BkColor);
    painter_.drawPath(filled);
}

void Player::MoveTo(QPointF p) {
    State.Current = p;
    if (recordingPath_) path_.moveTo(p);
}

void Player::LineTo(QPointF p) {
    if (recordingPath_) {
        if (path_.elementCount() == 0) path_.moveTo(State.Current);
        path_.lineTo(p);
    } else {
        painter_.setPen(State.Pen);
        painter_.drawLine(State.Current, p);
    }
    State.Current = p;
}

void Player::Polyline(const QPolygonF& points, bool fromCurrent) {
    if (points.isEmpty()) return;
    QPolygonF line = points;
    if (fromCurrent) line.prepend(State.Current);
    if (recordingPath_) {
        if (!fromCurrent || path_.elementCount() == 0) path_.moveTo(line.front());
        for (qsizetype i = 1; i < line.size(); ++i) path_.lineTo(line[i]);
    } else {
        painter_.setPen(State.Pen);
        painter_.drawPolyline(line);
    }
    if (fromCurrent) State.Current = line.back();
}

void Player::Polygon(const QPolygonF& points) {
    if (points.size() < 2) return;
    QPainterPath shape;
    shape.addPolygon(points);
    shape.closeSubpath();
    DrawShape(shape, true, true);
}

void Player::PolyPolygon(const std::vector<QPolygonF>& polygons) {
    QPainterPath shape;
    for (const QPolygonF& polygon : polygons) {
        if (polygon.size() < 2) continue;
        shape.addPolygon(polygon);
        shape.closeSubpath();
    }
    DrawShape(shape, true, true);
}

void Player::PolyPolyline(const std::vector<QPolygonF>& polylines) {
    for (const QPolygonF& line : polylines) Polyline(line, false);
}

void Player::PolyBezier(const QPolygonF& points, bool fromCurrent) {
    QPolygonF all = points;
    if (fromCurrent) all.prepend(State.Current);
    if (all.size() < 4) return;
    QPainterPath curve(all[0]);
    qsizetype i = 1;
    for (; i + 2 < all.size(); i += 3) curve.cubicTo(all[i], all[i + 1], all[i + 2]);
    if (fromCurrent) State.Current = all[i - 1];
    if (recordingPath_) {
        if (fromCurrent && path_.elementCount() > 0) path_.connectPath(curve);
        else path_.addPath(curve);
        return;
    }
    DrawShape(curve, false, true);
}

void Player::Rectangle(const QRectF& r) {
    QPainterPath shape;
    shape.addRect(r.normalized());
    DrawShape(shape, true, true);
}

void Player::RoundRect(const QRectF& r, double cornerWidth, double cornerHeight) {
    QPainterPath shape;
    shape.addRoundedRect(r.normalized(), std::abs(cornerWidth) / 2, std::abs(cornerHeight) / 2);
    DrawShape(shape, true, true);
}

void Player::Ellipse(const QRectF& r) {
    QPainterPath shape;
    shape.addEllipse(r.normalized());
    DrawShape(shape, true, true);
}

void Player::Arc(const QRectF& box, QPointF start, QPointF end, ArcKind kind) {
    const QRectF r = box.normalized();
    if (r.width() <= 0 || r.height() <= 0) return;
    const double a0 = ellipseAngle(r, start);
    double sweep = ellipseAngle(r, end) - a0;
    if (!std::isfinite(a0) || !std::isfinite(sweep)) return;
    while (sweep <= 0) sweep += 360;  // counter-clockwise from the start to the end point
    QPainterPath shape;
    if (kind == ArcKind::Pie) shape.moveTo(r.center());
    else shape.arcMoveTo(r, a0);
    if (kind == ArcKind::ArcTo) {
        const QPointF arcStart = shape.currentPosition();
        shape = QPainterPath(State.Current);
        shape.lineTo(arcStart);
    }
    shape.arcTo(r, a0, sweep);
    if (kind == ArcKind::ArcTo) State.Current = shape.currentPosition();
    const bool closed = kind == ArcKind::Pie || kind == ArcKind::Chord;
    if (closed) shape.closeSubpath();
    DrawShape(shape, closed, true);
}

void Player::SetPixel(QPointF p, uint32_t colorRef) {
    const QPointF t = painter_.transform().map(p);
    if (!std::isfinite(t.x()) || !std::isfinite(t.y())) return;
    painter_.save();
    painter_.resetTransform();
    painter_.fillRect(QRectF(std::floor(t.x()), std::floor(t.y()), 1, 1), ColorRef(colorRef));
    painter_.restore();
}

void Player::TextOut(QPointF p, const QString& text, uint32_t options, const QRectF& opaqueRect) {
    if (recordingPath_) return;
    const QTransform t = painter_.transform();
    if (options & 2)  // ETO_OPAQUE
        painter_.fillRect(opaqueRect.normalized(), State.BkColor);
    if (text.isEmpty()) return;
    const bool updateCp = State.TextAlign & 1;
    if (updateCp) p = State.Current;
    const double scaleY = std::hypot(t.m12(), t.m22());
    double pixels = State.Font.Height == 0 ? 12 : std::abs(State.Font.Height) * scaleY;
    if (State.Font.Height > 0) pixels *= 0.8;  // a cell height includes the internal leading
    if (!std::isfinite(pixels) || pixels < 1) return;
    QFont font = State.Font.Font;
    font.setPixelSize(int(std::min(pixels, MaxFontPixels)));
    const QFontMetricsF metrics(font);
    const double width = metrics.horizontalAdvance(text);
    const uint32_t align = State.TextAlign;
    double x = 0, y = 0;
    if ((align & 6) == 6) x = -width / 2;  // TA_CENTER
    else if (align & 2) x = -width;        // TA_RIGHT
    if ((align & 24) == 24) y = 0;         // TA_BASELINE
    else if (align & 8) y = -metrics.descent();
    else y = metrics.ascent();
    const QPointF origin = t.map(p);
    if (!std::isfinite(origin.x()) || !std::isfinite(origin.y())) return;
    painter_.save();
    if (options & 4) painter_.setClipRect(opaqueRect.normalized(), Qt::IntersectClip);  // ETO_CLIPPED
    painter_.resetTransform();
    painter_.translate(origin);
    painter_.rotate(-State.Font.Escapement / 10);
    if (State.OpaqueBackground && !(options & 2))
        painter_.fillRect(QRectF(x, y - metrics.ascent(), width, metrics.height()), State.BkColor);
    painter_.setFont(font);
    painter_.setPen(State.TextColor);
    painter_.drawText(QPointF(x, y), text);
    painter_.restore();
    if (updateCp) State.Current.rx() += width / std::max(1e-9, std::hypot(t.m11(), t.m21()));
}

void Player::PatBlt(const QRectF& r, uint32_t rop) {
    if (recordingPath_) return;
    switch (rop) {
    case 0x00000042: painter_.fillRect(r.normalized(), Qt::black); return;    // BLACKNESS
    case 0x00FF0062: painter_.fillRect(r.normalized(), Qt::white); return;    // WHITENESS
    case 0x00AA0029: return;                                                   // destination unchanged
    case 0x00550009: return;  // DSTINVERT: not reproduced; the picture keeps what is there
    default:
        if (State.Brush.style() != Qt::NoBrush) painter_.fillRect(r.normalized(), State.Brush);
    }
}

void Player::StretchDib(const QRectF& dest, const QRectF& source, const QByteArray& packedDib, uint32_t rop) {
    if (recordingPath_) return;
    const auto& decode = TMetafile::GetDibDecoder();
    QImage image = decode ? decode(packedDib) : QImage();
    if (image.isNull()) {
        PatBlt(dest, rop);
        return;
    }
    if (rop == 0x00AA0029) return;
    // Source rows count from the bottom of a bottom-up bitmap.
    int32_t height = 0;
    if (packedDib.size() >= 12) {
        const auto* b = reinterpret_cast<const uint8_t*>(packedDib.constData());
        const uint32_t headerSize = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
        height = headerSize == 12 ? int16_t(b[6] | b[7] << 8)
                                  : int32_t(uint32_t(b[8]) | uint32_t(b[9]) << 8 | uint32_t(b[10]) << 16 |
                                            uint32_t(b[11]) << 24);
    }
    QRectF from = source.normalized();
    if (from.isEmpty()) from = QRectF(image.rect());
    else if (height > 0) from.moveTop(image.height() - from.top() - from.height());
    const bool mirrorX = dest.width() < 0, mirrorY = dest.height() < 0;
    if (mirrorX || mirrorY) image = image.mirrored(mirrorX, mirrorY);
    painter_.drawImage(dest.normalized(), image, from);
}

void Player::ApplyClip(const QPainterPath& shape, Qt::ClipOperation op) {
    painter_.setClipPath(shape, op);
}

void Player::IntersectClip(const QRectF& r) {
    QPainterPath shape;
    shape.addRect(r.normalized());
    ApplyClip(shape, painter_.hasClipping() ? Qt::IntersectClip : Qt::ReplaceClip);
}

void Player::ExcludeClip(const QRectF& r) {
    bool invertible = false;
    const QTransform inverse = painter_.transform().inverted(&invertible);
    if (!invertible) return;
    QPainterPath base;
    if (painter_.hasClipping()) base = painter_.clipPath();
    else base.addPolygon(inverse.map(QPolygonF(QRectF(target_))));
    QPainterPath hole;
    hole.addRect(r.normalized());
    ApplyClip(base.subtracted(hole), Qt::ReplaceClip);
}

void Player::ResetClip() {
    // Back to the whole picture, given in the live logical units.
    bool invertible = false;
    const QTransform inverse = painter_.transform().inverted(&invertible);
    if (invertible) {
        QPainterPath whole;
        whole.addPolygon(inverse.map(QPolygonF(QRectF(target_))));
        painter_.setClipPath(whole, Qt::ReplaceClip);
    }
}

void Player::BeginPath() {
    path_ = QPainterPath();
    recordingPath_ = true;
}

void Player::CloseFigure() {
    if (recordingPath_) path_.closeSubpath();
}

void Player::FillPath(bool stroke, bool fill) {
    recordingPath_ = false;
    const QPainterPath shape = path_;
    path_ = QPainterPath();
    DrawShape(shape, fill, stroke);
}

void Player::SelectClipPath(int mode) {
    recordingPath_ = false;
    QPainterPath shape = path_;
    path_ = QPainterPath();
    shape.setFillRule(State.FillRule);
    if (mode == 5 || !painter_.hasClipping()) ApplyClip(shape, Qt::ReplaceClip);  // RGN_COPY
    else ApplyClip(shape, Qt::IntersectClip);
}

}  // namespace metafile_player
