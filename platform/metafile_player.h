#pragma once
// The drawing state of a metafile being played (pens, brushes, fonts, colours, mapping, clip,
// path) and the drawing operations both record sets share. The record loops for standard and
// enhanced metafiles (metafile_wmf_player.cpp, metafile_emf_player.cpp) decode the parameters
// and call into this.
#include "platform/metafile.h"

#include <QBrush>
#include <QFont>
#include <QPainter>
#include <QPainterPath>
#include <QPen>
#include <QPolygonF>
#include <QTransform>

#include <optional>
#include <variant>
#include <vector>

namespace metafile_player {

struct PaletteObject {
    std::vector<uint32_t> Colors;
};
struct FontObject {
    QFont Font;
    double Height = 0;      // logical units; 0: the default size
    double Escapement = 0;  // tenths of a degree, counter-clockwise
};
// Regions and bitmaps hold a slot of the object table but draw nothing (std::monostate).
using GdiObject = std::variant<QPen, QBrush, FontObject, PaletteObject, std::monostate>;

// What SaveDC keeps and RestoreDC brings back.
struct DcState {
    QPen Pen{QColor(Qt::black), 0};
    QBrush Brush{QColor(Qt::white)};
    FontObject Font;
    QColor TextColor{Qt::black};
    QColor BkColor{Qt::white};
    bool OpaqueBackground = true;
    uint32_t TextAlign = 0;
    Qt::FillRule FillRule = Qt::OddEvenFill;
    QPointF Current;
    int MapMode = 1;  // MM_TEXT
    QPointF WindowOrg{0, 0}, WindowExt{1, 1}, ViewportOrg{0, 0}, ViewportExt{1, 1};
    QTransform World;
    std::vector<uint32_t> SelectedPalette;
};

class Player {
public:
    // Device: the reference device (or placeable bounds) rectangle mapped onto Target.
    Player(QPainter& painter, const QRectF& device, const QRect& target, bool enhanced, int objectCount);
    ~Player();

    DcState State;
    std::vector<std::optional<GdiObject>> Objects;

    // Mapping and state.
    void UpdateTransform();
    void SaveDc();
    void RestoreDc(int relative);
    QColor ColorRef(uint32_t colorRef) const;
    void SelectObject(const GdiObject& object);
    // Places an object in the lowest free slot (standard metafiles); false when the table is full.
    bool AddObject(GdiObject object);
    void SetObject(uint32_t index, GdiObject object);
    void DeleteObject(uint32_t index);
    void SelectIndex(uint32_t index);

    // Building pens, brushes and fonts.
    QPen MakePen(uint32_t style, double width, uint32_t colorRef, bool cosmetic) const;
    QBrush MakeBrush(uint32_t style, uint32_t colorRef, uint32_t hatch) const;
    QBrush MakePatternBrush(const QByteArray& packedDib) const;
    static FontObject MakeFont(double height, int weight, bool italic, bool underline, bool strikeOut,
                               const QString& face, double escapement);

    // Drawing in logical units.
    void MoveTo(QPointF p);
    void LineTo(QPointF p);
    void Polyline(const QPolygonF& points, bool fromCurrent);
    void Polygon(const QPolygonF& points);
    void PolyPolygon(const std::vector<QPolygonF>& polygons);
    void PolyPolyline(const std::vector<QPolygonF>& polylines);
    void PolyBezier(const QPolygonF& points, bool fromCurrent);
    void Rectangle(const QRectF& r);
    void RoundRect(const QRectF& r, double cornerWidth, double cornerHeight);
    void Ellipse(const QRectF& r);
    enum class ArcKind { Arc, ArcTo, Pie, Chord };
    void Arc(const QRectF& r, QPointF start, QPointF end, ArcKind kind);
    void SetPixel(QPointF p, uint32_t colorRef);
    void TextOut(QPointF p, const QString& text, uint32_t options, const QRectF& opaqueRect);
    // Rop: a raster operation; fills with the brush, black or white as the operation says.
    void PatBlt(const QRectF& r, uint32_t rop);
    void StretchDib(const QRectF& dest, const QRectF& source, const QByteArray& packedDib, uint32_t rop);
    void IntersectClip(const QRectF& r);
    void ExcludeClip(const QRectF& r);
    void ResetClip();

    // Paths.
    void BeginPath();
    void EndPath() { recordingPath_ = false; }
    void CloseFigure();
    void FillPath(bool stroke, bool fill);
    void SelectClipPath(int mode);

private:
    void DrawShape(const QPainterPath& shape, bool fill, bool stroke);
    void ApplyClip(const QPainterPath& shape, Qt::ClipOperation op);  // shape in logical units

    QPainter& painter_;
    QRectF device_;
    QRect target_;
    bool enhanced_;
    std::vector<DcState> saved_;
    bool recordingPath_ = false;
    QPainterPath path_;
};

// Pixels per inch of the reference device when the header gives none.
constexpr double ReferencePixelsPerInch = TMetafile::ScreenPixelsPerInch;

void PlayStandard(Player& player, const QByteArray& data);
void PlayEnhanced(Player& player, const QByteArray& data);

}  // namespace metafile_player
