#include "site_manager/builder/page_buttons.h"

#include "imaging/imaging_init.h"
#include "imaging/pg_canvas.h"
#include "imaging/pixel_graphic.h"
#include "site_manager/builder/build_output.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QImage>
#include <QPainter>
#include <exception>

QString ButtonExtension = QStringLiteral(".gif");

namespace {

constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr QRgb kKeyGreen = 0xFF00FF00;

QColor toQColor(uint32_t colour) { return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF)); }

// The label on a sheet of the key colour; the key colour is then made transparent so that only the
// text covers the button.
QImage labelSheet(const QSize& size, uint32_t textColour, const QString& label, const ButtonFont& font) {
    const QRgb key = (textColour & 0xFFFFFF) == 0xFFFFFF ? kKeyGreen : kWhite;
    QImage sheet(size, QImage::Format_RGB32);
    sheet.fill(key);
    QFont qfont(font.Family);
    qfont.setPointSize(font.PointSize);
    qfont.setBold(font.Bold);
    qfont.setItalic(font.Italic);
    qfont.setUnderline(false);
    // Hard edges: a blended edge would keep a fringe of the key colour.
    qfont.setStyleStrategy(QFont::NoAntialias);
    {
        QPainter painter(&sheet);
        painter.setFont(qfont);
        painter.setPen(toQColor(textColour));
        const QFontMetrics metrics(qfont, &sheet);
        const int x = size.width() / 2 - metrics.horizontalAdvance(label) / 2;
        const int y = size.height() / 2 - metrics.height() / 2;
        painter.drawText(QPoint(x, y + metrics.ascent()), label);
    }
    QImage overlay = sheet.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < overlay.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(overlay.scanLine(y));
        for (int x = 0; x < overlay.width(); ++x)
            if (line[x] == key) line[x] = 0;
    }
    return overlay;
}

// The button as the writer of extension ("jpg": baseline at quality 99, or "gif") encodes it. It is
// written like every page and thumbnail of the build: whole, placed when its step is synced.
QByteArray encodedButton(TPixelGraphic& button, const QString& extension) {
    if (extension == QLatin1String("jpg")) {
        JpegQuality = 99;
        JpegProgressive = false;
    }
    QBuffer encoded;
    encoded.open(QIODevice::WriteOnly);
    button.SaveToStreamExt(encoded, extension);
    return encoded.data();
}

}  // namespace

bool createbutton(const QString& styleGraphic, const QString& target, uint32_t textColour, const QString& label,
                  const ButtonFont& font, bool* notWritten, platform::ReplacementBatch* step) {
    try {
        TPixelGraphic style;
        style.LoadFromFile(styleGraphic);
        // The label is drawn on a true-colour copy, so its colour is not snapped to the style's
        // palette; saving a paletted style's button as GIF reduces the colours again.
        TPixelGraphic button;
        button.SetSize(style.GetWidth(), style.GetHeight(), PixelFormat24Bit);
        button.StretchFrom(style);
        const QImage overlay = labelSheet(QSize(button.GetWidth(), button.GetHeight()), textColour, label, font);
        button.GetCanvas().Painter().drawImage(0, 0, overlay);
        button.FreeCanvasHandle();
        button.SetColorResolutionMode(0);
        const QString extension = style.GetBitCount() == 24 ? "jpg" : "gif";
        ButtonExtension = "." + extension;
        const QByteArray encoded = encodedButton(button, extension);
        if (writeBuildFile(target + ButtonExtension, encoded, step)) return true;
        if (notWritten) *notWritten = true;
        return false;
    } catch (const std::exception&) {
        return false;
    }
}
