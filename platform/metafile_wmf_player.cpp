// The record loop of standard metafiles: 16-bit parameters, most of them in reverse order.
#include "platform/metafile_bytes.h"
#include "platform/metafile_player.h"

namespace metafile_player {

namespace {

using metafile_bytes::Cursor;

// Points and rectangles are stored y before x, and bottom-right before top-left.
QPointF yx(Cursor& c) {
    const double y = c.I16();
    const double x = c.I16();
    return {x, y};
}

QRectF bottomRightTopLeft(Cursor& c) {
    const QPointF bottomRight = yx(c);
    const QPointF topLeft = yx(c);
    return QRectF(topLeft, bottomRight);
}

QPolygonF points(Cursor& c, size_t count) {
    QPolygonF result;
    if (count > c.Remaining() / 4) return result;
    result.reserve(qsizetype(count));
    for (size_t i = 0; i < count; ++i) {
        const double x = c.I16();
        const double y = c.I16();
        result.append(QPointF(x, y));
    }
    return result;
}

QString latin1(Cursor& c, size_t count) {
    const uint8_t* p = c.Take(count);
    return p ? QString::fromLatin1(reinterpret_cast<const char*>(p), qsizetype(count)) : QString();
}

QByteArray rest(Cursor& c) {
    const size_t n = c.Remaining();
    const uint8_t* p = c.Take(n);
    return p ? QByteArray(reinterpret_cast<const char*>(p), qsizetype(n)) : QByteArray();
}

void createFont(Player& player, Cursor& c) {
    const double height = c.I16();
    c.Skip(2);  // width
    const double escapement = c.I16();
    c.Skip(2);  // orientation
    const int weight = c.I16();
    const bool italic = c.U8(), underline = c.U8(), strikeOut = c.U8();
    c.Skip(5);  // character set, precisions, quality, pitch and family
    QByteArray face;
    for (size_t i = 0; i < 32 && c.Remaining() > 0; ++i) {
        const char ch = char(c.U8());
        if (ch == 0) break;
        face.append(ch);
    }
    player.AddObject(Player::MakeFont(height, weight, italic, underline, strikeOut, QString::fromLatin1(face),
                                      escapement));
}

void createPalette(Player& player, Cursor& c) {
    c.Skip(2);  // version
    const size_t count = c.U16();
    PaletteObject palette;
    for (size_t i = 0; i < count && c.Remaining() >= 4; ++i) {
        const uint8_t r = c.U8(), g = c.U8(), b = c.U8();
        c.Skip(1);
        palette.Colors.push_back(qRgb(r, g, b));
    }
    player.AddObject(std::move(palette));
}

void extTextOut(Player& player, Cursor& c) {
    const QPointF p = yx(c);
    const size_t count = c.U16();
    const uint16_t options = c.U16();
    QRectF rect;
    if (options & 6) {
        const double left = c.I16(), top = c.I16(), right = c.I16(), bottom = c.I16();
        rect = QRectF(QPointF(left, top), QPointF(right, bottom));
    }
    player.TextOut(p, latin1(c, std::min(count, c.Remaining())), options, rect);
}

// DIBSTRETCHBLT and DIBBITBLT without a bitmap carry a reserved word and fill with the brush.
void dibBlt(Player& player, Cursor& c, bool stretch) {
    const uint32_t rop = c.U32();
    const size_t fixed = stretch ? 16 : 12;
    if (c.Remaining() < fixed + 12) {
        c.Skip(stretch ? 10 : 6);
        const double h = c.I16(), w = c.I16();
        const QPointF at = yx(c);
        player.PatBlt(QRectF(at.x(), at.y(), w, h), rop);
        return;
    }
    double srcH = 0, srcW = 0;
    if (stretch) {
        srcH = c.I16();
        srcW = c.I16();
    }
    const QPointF src = yx(c);
    const double h = c.I16(), w = c.I16();
    const QPointF at = yx(c);
    if (!stretch) {
        srcH = h;
        srcW = w;
    }
    player.StretchDib(QRectF(at.x(), at.y(), w, h), QRectF(src.x(), src.y(), srcW, srcH), rest(c), rop);
}

void stretchDib(Player& player, Cursor& c) {
    const uint32_t rop = c.U32();
    c.Skip(2);  // colour usage
    const double srcH = c.I16(), srcW = c.I16();
    const QPointF src = yx(c);
    const double h = c.I16(), w = c.I16();
    const QPointF at = yx(c);
    player.StretchDib(QRectF(at.x(), at.y(), w, h), QRectF(src.x(), src.y(), srcW, srcH), rest(c), rop);
}

void playRecord(Player& player, uint16_t function, Cursor& c) {
    DcState& s = player.State;
    switch (function) {
    case 0x0201: s.BkColor = player.ColorRef(c.U32()); break;                 // SETBKCOLOR
    case 0x0102: s.OpaqueBackground = c.U16() == 2; break;                     // SETBKMODE
    case 0x0106: s.FillRule = c.U16() == 2 ? Qt::WindingFill : Qt::OddEvenFill; break;  // SETPOLYFILLMODE
    case 0x0209: s.TextColor = player.ColorRef(c.U32()); break;               // SETTEXTCOLOR
    case 0x012E: s.TextAlign = c.U16(); break;                                 // SETTEXTALIGN
    case 0x020B: s.WindowOrg = yx(c); player.UpdateTransform(); break;         // SETWINDOWORG
    case 0x020C: s.WindowExt = yx(c); player.UpdateTransform(); break;         // SETWINDOWEXT
    case 0x020F: s.WindowOrg += yx(c); player.UpdateTransform(); break;        // OFFSETWINDOWORG
    case 0x0410: {                                                             // SCALEWINDOWEXT
        const double yDen = c.I16(), yNum = c.I16(), xDen = c.I16(), xNum = c.I16();
        if (xDen != 0 && yDen != 0) s.WindowExt = QPointF(s.WindowExt.x() * xNum / xDen, s.WindowExt.y() * yNum / yDen);
        player.UpdateTransform();
        break;
    }
    case 0x001E: player.SaveDc(); break;                 // SAVEDC
    case 0x0127: player.RestoreDc(c.I16()); break;       // RESTOREDC
    case 0x012D: player.SelectIndex(c.U16()); break;     // SELECTOBJECT
    case 0x0234: player.SelectIndex(c.U16()); break;     // SELECTPALETTE
    case 0x01F0: player.DeleteObject(c.U16()); break;    // DELETEOBJECT
    case 0x02FA: {                                       // CREATEPENINDIRECT
        const uint16_t style = c.U16();
        const double width = c.I16();
        c.Skip(2);
        player.AddObject(player.MakePen(style, width, c.U32(), false));
        break;
    }
    case 0x02FC: {  // CREATEBRUSHINDIRECT
        const uint16_t style = c.U16();
        const uint32_t color = c.U32();
        player.AddObject(player.MakeBrush(style, color, c.U16()));
        break;
    }
    case 0x0142:  // DIBCREATEPATTERNBRUSH
        c.Skip(4);
        player.AddObject(player.MakePatternBrush(rest(c)));
        break;
    case 0x02FB: createFont(player, c); break;      // CREATEFONTINDIRECT
    case 0x00F7: createPalette(player, c); break;    // CREATEPALETTE
    case 0x01F9: case 0x06FF: case 0x06FE: case 0x02FD: case 0x00F8:  // other objects hold a slot
        player.AddObject(std::monostate());
        break;
    case 0x0214: player.MoveTo(yx(c)); break;        // MOVETO
    case 0x0213: player.LineTo(yx(c)); break;        // LINETO
    case 0x041B: player.Rectangle(bottomRightTopLeft(c)); break;  // RECTANGLE
    case 0x0418: player.Ellipse(bottomRightTopLeft(c)); break;    // ELLIPSE
    case 0x061C: {                                                // ROUNDRECT
        const double h = c.I16(), w = c.I16();
        player.RoundRect(bottomRightTopLeft(c), w, h);
        break;
    }
    case 0x0817: case 0x081A: case 0x0830: {  // ARC, PIE, CHORD
        const QPointF end = yx(c), start = yx(c);
        const QRectF box = bottomRightTopLeft(c);
        player.Arc(box, start, end, function == 0x0817 ? Player::ArcKind::Arc
                                    : function == 0x081A ? Player::ArcKind::Pie : Player::ArcKind::Chord);
        break;
    }
    case 0x0324: player.Polygon(points(c, c.U16())); break;          // POLYGON
    case 0x0325: player.Polyline(points(c, c.U16()), false); break;  // POLYLINE
    case 0x0538: {                                                   // POLYPOLYGON
        const size_t n = c.U16();
        if (n > c.Remaining() / 2) break;
        std::vector<size_t> counts(n);
        for (auto& count : counts) count = c.U16();
        std::vector<QPolygonF> polygons;
        for (size_t count : counts) polygons.push_back(points(c, count));
        player.PolyPolygon(polygons);
        break;
    }
    case 0x0521: {  // TEXTOUT
        const size_t count = c.U16();
        const QString text = latin1(c, std::min(count, c.Remaining()));
        c.Skip(count & 1);
        const QPointF p = yx(c);
        player.TextOut(p, text, 0, QRectF());
        break;
    }
    case 0x0A32: extTextOut(player, c); break;  // EXTTEXTOUT
    case 0x041F: {                              // SETPIXEL
        const uint32_t color = c.U32();
        player.SetPixel(yx(c), color);
        break;
    }
    case 0x061D: {  // PATBLT
        const uint32_t rop = c.U32();
        const double h = c.I16(), w = c.I16();
        const QPointF at = yx(c);
        player.PatBlt(QRectF(at.x(), at.y(), w, h), rop);
        break;
    }
    case 0x0F43: stretchDib(player, c); break;         // STRETCHDIB
    case 0x0B41: dibBlt(player, c, true); break;       // DIBSTRETCHBLT
    case 0x0940: dibBlt(player, c, false); break;      // DIBBITBLT
    case 0x0416: player.IntersectClip(bottomRightTopLeft(c)); break;  // INTERSECTCLIPRECT
    case 0x0415: player.ExcludeClip(bottomRightTopLeft(c)); break;    // EXCLUDECLIPRECT
    case 0x012C: player.ResetClip(); break;  // SELECTCLIPREGION: regions are not kept
    default: break;  // mapping mode and viewport (the target is the viewport), escapes, others
    }
}

}  // namespace

// Data starts with the 22-byte placeable header, then the 18-byte standard header.
void PlayStandard(Player& player, const QByteArray& data) {
    Cursor file(reinterpret_cast<const uint8_t*>(data.constData()), size_t(data.size()));
    file.Seek(22);
    file.Skip(2);
    const size_t headerWords = file.U16();
    if (!file.Seek(22 + headerWords * 2)) return;
    while (file.Remaining() >= 6) {
        const size_t start = file.Pos();
        const uint64_t words = file.U32();
        const uint16_t function = file.U16();
        if (function == 0 || words < 3 || words > (file.Remaining() + 6) / 2) break;
        Cursor params(reinterpret_cast<const uint8_t*>(data.constData()) + start + 6, size_t(words * 2 - 6));
        playRecord(player, function, params);
        file.Seek(start + size_t(words) * 2);
    }
}

}  // namespace metafile_player
