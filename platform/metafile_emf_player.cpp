// The record loop of enhanced metafiles: 32-bit records, 32-bit or 16-bit points.
#include "platform/metafile_bytes.h"
#include "platform/metafile_player.h"

namespace metafile_player {

namespace {

using metafile_bytes::Cursor;

QPointF point32(Cursor& c) {
    const double x = c.I32();
    const double y = c.I32();
    return {x, y};
}

QRectF rect32(Cursor& c) {
    const QPointF topLeft = point32(c);
    const QPointF bottomRight = point32(c);
    return QRectF(topLeft, bottomRight);
}

QPolygonF points(Cursor& c, size_t count, bool small) {
    QPolygonF result;
    if (count > c.Remaining() / (small ? 4 : 8)) return result;
    result.reserve(qsizetype(count));
    for (size_t i = 0; i < count; ++i) {
        if (small) {
            const double x = c.I16();
            const double y = c.I16();
            result.append(QPointF(x, y));
        } else {
            result.append(point32(c));
        }
    }
    return result;
}

// POLYGON, POLYLINE, POLYBEZIER and their -TO and 16-bit forms: bounds, count, points.
QPolygonF polyRecord(Cursor& c, bool small) {
    c.Skip(16);
    return points(c, c.U32(), small);
}

// POLYPOLYGON and POLYPOLYLINE: bounds, number of polys, total points, counts, points.
std::vector<QPolygonF> polyPolyRecord(Cursor& c, bool small) {
    c.Skip(16);
    const size_t n = c.U32();
    c.Skip(4);
    std::vector<QPolygonF> result;
    if (n > c.Remaining() / 4) return result;
    std::vector<size_t> counts(n);
    for (auto& count : counts) count = c.U32();
    for (size_t count : counts) result.push_back(points(c, count, small));
    return result;
}

// A part of the record at an offset from its start, or empty when it lies outside.
QByteArray slice(const Cursor& record, uint32_t offset, uint32_t size) {
    if (offset > record.Size() || size > record.Size() - offset) return QByteArray();
    return QByteArray(reinterpret_cast<const char*>(record.Here() - record.Pos() + offset), qsizetype(size));
}

// The bitmap of a record: the information header and the bits joined into a packed DIB.
QByteArray packedDib(Cursor& c, const Cursor& record) {
    const uint32_t offBmi = c.U32(), cbBmi = c.U32(), offBits = c.U32(), cbBits = c.U32();
    if (cbBmi == 0) return QByteArray();
    return slice(record, offBmi, cbBmi) + slice(record, offBits, cbBits);
}

QTransform xform(Cursor& c) {
    const double m11 = c.F32(), m12 = c.F32(), m21 = c.F32(), m22 = c.F32(), dx = c.F32(), dy = c.F32();
    return QTransform(m11, m12, m21, m22, dx, dy);
}

GdiObject stockObject(uint32_t index) {
    switch (index & 0x7FFFFFFF) {
    case 0: return QBrush(Qt::white);
    case 1: return QBrush(QColor(192, 192, 192));
    case 2: return QBrush(QColor(128, 128, 128));
    case 3: return QBrush(QColor(64, 64, 64));
    case 4: return QBrush(Qt::black);
    case 5: return QBrush(Qt::NoBrush);
    case 6: return QPen(QColor(Qt::white), 0);
    case 7: return QPen(QColor(Qt::black), 0);
    case 8: return QPen(Qt::NoPen);
    case 10: case 11: case 12: case 13: case 14: case 16: case 17:
        return Player::MakeFont(0, 400, false, false, false, QString(), 0);
    default: return std::monostate();
    }
}

void extCreateFont(Player& player, Cursor& c) {
    const uint32_t index = c.U32();
    const double height = c.I32();
    c.Skip(4);  // width
    const double escapement = c.I32();
    c.Skip(4);  // orientation
    const int weight = c.I32();
    const bool italic = c.U8(), underline = c.U8(), strikeOut = c.U8();
    c.Skip(5);
    QString face;
    for (int i = 0; i < 32 && c.Remaining() >= 2; ++i) {
        const char16_t ch = c.U16();
        if (ch == 0) break;
        face.append(QChar(ch));
    }
    player.SetObject(index, Player::MakeFont(height, weight, italic, underline, strikeOut, face, escapement));
}

void createPalette(Player& player, Cursor& c) {
    const uint32_t index = c.U32();
    c.Skip(2);
    const size_t count = c.U16();
    PaletteObject palette;
    for (size_t i = 0; i < count && c.Remaining() >= 4; ++i) {
        const uint8_t r = c.U8(), g = c.U8(), b = c.U8();
        c.Skip(1);
        palette.Colors.push_back(qRgb(r, g, b));
    }
    player.SetObject(index, std::move(palette));
}

void extTextOut(Player& player, Cursor& c, const Cursor& record, bool wide) {
    c.Skip(16 + 12);  // bounds, graphics mode, scales
    const QPointF reference = point32(c);
    const uint32_t count = c.U32(), offString = c.U32(), options = c.U32();
    const QRectF rect = rect32(c);
    const QByteArray bytes = slice(record, offString, wide ? count * 2 : count);
    if (count > record.Size()) return;
    QString text;
    if (wide) text = QString::fromUtf16(reinterpret_cast<const char16_t*>(bytes.constData()), bytes.size() / 2);
    else text = QString::fromLatin1(bytes);
    player.TextOut(reference, text, options, rect);
}

// BITBLT (with xSrc, ySrc) and STRETCHBLT (with cxSrc, cySrc as well); no bitmap: a brush fill.
void bitBlt(Player& player, Cursor& c, const Cursor& record, bool stretch) {
    c.Skip(16);
    const QPointF at = point32(c);
    const double w = c.I32(), h = c.I32();
    const uint32_t rop = c.U32();
    const QPointF src = point32(c);
    c.Skip(24 + 8);  // source transform, background colour, usage
    const QByteArray dib = packedDib(c, record);
    double srcW = w, srcH = h;
    if (stretch) {
        srcW = c.I32();
        srcH = c.I32();
    }
    if (dib.isEmpty()) player.PatBlt(QRectF(at.x(), at.y(), w, h), rop);
    else player.StretchDib(QRectF(at.x(), at.y(), w, h), QRectF(src.x(), src.y(), srcW, srcH), dib, rop);
}

void stretchDIBits(Player& player, Cursor& c, const Cursor& record) {
    c.Skip(16);
    const QPointF at = point32(c);
    const QPointF src = point32(c);
    const double srcW = c.I32(), srcH = c.I32();
    const QByteArray dib = packedDib(c, record);
    c.Skip(4);  // usage
    const uint32_t rop = c.U32();
    const double w = c.I32(), h = c.I32();
    player.StretchDib(QRectF(at.x(), at.y(), w, h), QRectF(src.x(), src.y(), srcW, srcH), dib, rop);
}

void createBrush(Player& player, uint32_t type, Cursor& c, const Cursor& record) {
    const uint32_t index = c.U32();
    if (type == 39) {  // CREATEBRUSHINDIRECT
        const uint32_t style = c.U32(), color = c.U32();
        player.SetObject(index, player.MakeBrush(style, color, c.U32()));
        return;
    }
    c.Skip(4);  // usage
    player.SetObject(index, player.MakePatternBrush(packedDib(c, record)));
}

void playRecord(Player& player, uint32_t type, Cursor& c, const Cursor& record) {
    DcState& s = player.State;
    const auto arcKind = [](uint32_t t) {
        return t == 45 ? Player::ArcKind::Arc : t == 46 ? Player::ArcKind::Chord
             : t == 47 ? Player::ArcKind::Pie : Player::ArcKind::ArcTo;
    };
    switch (type) {
    case 2: case 85: player.PolyBezier(polyRecord(c, type == 85), false); break;          // POLYBEZIER(16)
    case 3: case 86: player.Polygon(polyRecord(c, type == 86)); break;                     // POLYGON(16)
    case 4: case 87: player.Polyline(polyRecord(c, type == 87), false); break;             // POLYLINE(16)
    case 5: case 88: player.PolyBezier(polyRecord(c, type == 88), true); break;            // POLYBEZIERTO(16)
    case 6: case 89: player.Polyline(polyRecord(c, type == 89), true); break;              // POLYLINETO(16)
    case 7: case 90: player.PolyPolyline(polyPolyRecord(c, type == 90)); break;            // POLYPOLYLINE(16)
    case 8: case 91: player.PolyPolygon(polyPolyRecord(c, type == 91)); break;             // POLYPOLYGON(16)
    case 9: s.WindowExt = point32(c); player.UpdateTransform(); break;                     // SETWINDOWEXTEX
    case 10: s.WindowOrg = point32(c); player.UpdateTransform(); break;                    // SETWINDOWORGEX
    case 11: s.ViewportExt = point32(c); player.UpdateTransform(); break;                  // SETVIEWPORTEXTEX
    case 12: s.ViewportOrg = point32(c); player.UpdateTransform(); break;                  // SETVIEWPORTORGEX
    case 15: {                                                                             // SETPIXELV
        const QPointF p = point32(c);
        player.SetPixel(p, c.U32());
        break;
    }
    case 17: s.MapMode = int(c.U32()); player.UpdateTransform(); break;                    // SETMAPMODE
    case 18: s.OpaqueBackground = c.U32() == 2; break;                                     // SETBKMODE
    case 19: s.FillRule = c.U32() == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;        // SETPOLYFILLMODE
    case 22: s.TextAlign = c.U32(); break;                                                 // SETTEXTALIGN
    case 24: s.TextColor = player.ColorRef(c.U32()); break;                                // SETTEXTCOLOR
    case 25: s.BkColor = player.ColorRef(c.U32()); break;                                  // SETBKCOLOR
    case 27: player.MoveTo(point32(c)); break;                                             // MOVETOEX
    case 29: player.ExcludeClip(rect32(c)); break;                                         // EXCLUDECLIPRECT
    case 30: player.IntersectClip(rect32(c)); break;                                       // INTERSECTCLIPRECT
    case 33: player.SaveDc(); break;                                                       // SAVEDC
    case 34: player.RestoreDc(c.I32()); break;                                             // RESTOREDC
    case 35: s.World = xform(c); player.UpdateTransform(); break;                          // SETWORLDTRANSFORM
    case 36: {                                                                             // MODIFYWORLDTRANSFORM
        const QTransform t = xform(c);
        const uint32_t mode = c.U32();
        if (mode == 1) s.World = QTransform();
        else if (mode == 2) s.World = t * s.World;
        else if (mode == 3) s.World = s.World * t;
        else if (mode == 4) s.World = t;
        player.UpdateTransform();
        break;
    }
    case 37: {  // SELECTOBJECT
        const uint32_t index = c.U32();
        if (index & 0x80000000) player.SelectObject(stockObject(index));
        else player.SelectIndex(index);
        break;
    }
    case 38: {  // CREATEPEN
        const uint32_t index = c.U32(), style = c.U32();
        const double width = c.I32();
        c.Skip(4);
        player.SetObject(index, player.MakePen(style, width, c.U32(), false));
        break;
    }
    case 95: {  // EXTCREATEPEN
        const uint32_t index = c.U32();
        c.Skip(16);
        const uint32_t style = c.U32();
        const double width = c.U32();
        const uint32_t brushStyle = c.U32(), color = c.U32();
        const bool geometric = style & 0x00010000;
        player.SetObject(index, brushStyle == 1 ? QPen(Qt::NoPen) : player.MakePen(style, width, color, !geometric));
        break;
    }
    case 39: case 93: case 94: createBrush(player, type, c, record); break;  // brushes
    case 40: player.DeleteObject(c.U32()); break;                            // DELETEOBJECT
    case 42: player.Ellipse(rect32(c)); break;                               // ELLIPSE
    case 43: player.Rectangle(rect32(c)); break;                             // RECTANGLE
    case 44: {                                                               // ROUNDRECT
        const QRectF box = rect32(c);
        const QPointF corner = point32(c);
        player.RoundRect(box, corner.x(), corner.y());
        break;
    }
    case 45: case 46: case 47: case 55: {  // ARC, CHORD, PIE, ARCTO
        const QRectF box = rect32(c);
        const QPointF start = point32(c);
        player.Arc(box, start, point32(c), arcKind(type));
        break;
    }
    case 48: {  // SELECTPALETTE
        const uint32_t index = c.U32();
        if (!(index & 0x80000000)) player.SelectIndex(index);
        break;
    }
    case 49: createPalette(player, c); break;                   // CREATEPALETTE
    case 54: player.LineTo(point32(c)); break;                  // LINETO
    case 59: player.BeginPath(); break;                         // BEGINPATH
    case 60: player.EndPath(); break;                           // ENDPATH
    case 61: player.CloseFigure(); break;                       // CLOSEFIGURE
    case 62: player.FillPath(false, true); break;               // FILLPATH
    case 63: player.FillPath(true, true); break;                // STROKEANDFILLPATH
    case 64: player.FillPath(true, false); break;               // STROKEPATH
    case 67: player.SelectClipPath(int(c.U32())); break;        // SELECTCLIPPATH
    case 75: {                                                  // EXTSELECTCLIPRGN: only a reset is kept
        const uint32_t size = c.U32(), mode = c.U32();
        if (size == 0 && mode == 5) player.ResetClip();
        break;
    }
    case 76: case 77: bitBlt(player, c, record, type == 77); break;  // BITBLT, STRETCHBLT
    case 81: stretchDIBits(player, c, record); break;                // STRETCHDIBITS
    case 82: extCreateFont(player, c); break;                        // EXTCREATEFONTINDIRECTW
    case 83: case 84: extTextOut(player, c, record, type == 84); break;  // EXTTEXTOUTA, EXTTEXTOUTW
    default: break;  // comments (EMF+ included: the plain records follow them), others
    }
}

}  // namespace

void PlayEnhanced(Player& player, const QByteArray& data) {
    const auto* bytes = reinterpret_cast<const uint8_t*>(data.constData());
    Cursor file(bytes, size_t(data.size()));
    while (file.Remaining() >= 8) {
        const size_t start = file.Pos();
        const uint32_t type = file.U32();
        const uint32_t size = file.U32();
        if (size < 8 || size % 4 != 0 || size > file.Remaining() + 8) break;
        if (type == 14) break;  // EOF
        Cursor record(bytes + start, size);
        Cursor params(bytes + start, size);
        params.Skip(8);
        if (start > 0) playRecord(player, type, params, record);
        file.Seek(start + size);
    }
}

}  // namespace metafile_player
