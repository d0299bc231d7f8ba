// Draws the navigation button graphics shipped with the program (Previous, Next, Index) as small
// 4-colour GIF files through the imaging library's own GIF writer.
// Usage: make_nav_buttons <data directory>   (writes Samples/ and navgraph/ under it)
#include "imaging/imaging_init.h"
#include "imaging/pg_canvas.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"

#include <QDir>
#include <QFont>
#include <QApplication>
#include <QPainter>
#include <QPolygon>

#include <cstdio>

namespace {

constexpr int Width = 88, Height = 26;

struct Style {
    TColor Face;
    TColor Edge;
    TColor Text;
};

enum class Arrow { Left, Right, None };

void drawButton(const QString& path, const QString& label, Arrow arrow, const Style& style) {
    TPixelGraphic button;
    button.SetSize(Width, Height, PixelFormat8Bit);
    button.SetPaletteCount(4);
    button.SetPaletteColor(0, pgRGB(255, 255, 255));
    button.SetPaletteColor(1, style.Face);
    button.SetPaletteColor(2, style.Edge);
    button.SetPaletteColor(3, style.Text);
    button.SetBackground(pgRGB(255, 255, 255));
    const auto colour = [](TColor c) { return QColor(pgRed(c), pgGreen(c), pgBlue(c)); };
    {
        QPainter& painter = button.GetCanvas().Painter();
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setRenderHint(QPainter::TextAntialiasing, false);
        painter.setPen(colour(style.Edge));
        painter.setBrush(colour(style.Face));
        painter.drawRoundedRect(QRect(0, 0, Width - 1, Height - 1), 6, 6);
        painter.setPen(Qt::NoPen);
        painter.setBrush(colour(style.Text));
        const int mid = Height / 2;
        QRect textBox(6, 0, Width - 12, Height);
        if (arrow == Arrow::Left) {
            painter.drawPolygon(QPolygon({QPoint(7, mid), QPoint(15, mid - 6), QPoint(15, mid + 6)}));
            textBox.setLeft(18);
        } else if (arrow == Arrow::Right) {
            painter.drawPolygon(QPolygon({QPoint(Width - 8, mid), QPoint(Width - 16, mid - 6), QPoint(Width - 16, mid + 6)}));
            textBox.setRight(Width - 19);
        }
        QFont font("DejaVu Sans");
        font.setPixelSize(12);
        font.setBold(true);
        font.setStyleStrategy(QFont::NoAntialias);
        painter.setFont(font);
        painter.setPen(colour(style.Text));
        painter.drawText(textBox, Qt::AlignCenter, label);
    }
    button.FreeCanvasHandle();
    button.SetColorResolutionMode(0);  // store the colours as drawn, without asking
    button.SaveToFile(path);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_nav_buttons <data directory>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InitImagingLibrary();
    // Nobody is there to answer a box: print it and refuse.
    platform::setMessageResponder([](const platform::MessageRequest& request) {
        std::fprintf(stderr, "make_nav_buttons: %s\n", qPrintable(request.text));
        return platform::MessageResult::Cancel;
    });
    const QDir data(QString::fromLocal8Bit(argv[1]));
    data.mkpath("Samples");
    data.mkpath("navgraph");
    const Style samples{pgRGB(36, 64, 140), pgRGB(16, 32, 80), pgRGB(255, 255, 255)};
    const Style navgraph{pgRGB(220, 226, 236), pgRGB(96, 108, 128), pgRGB(24, 40, 88)};
    try {
        drawButton(data.filePath("Samples/Previous.gif"), "Previous", Arrow::Left, samples);
        drawButton(data.filePath("Samples/Next.gif"), "Next", Arrow::Right, samples);
        drawButton(data.filePath("navgraph/Previous.gif"), "Previous", Arrow::Left, navgraph);
        drawButton(data.filePath("navgraph/Next.gif"), "Next", Arrow::Right, navgraph);
        drawButton(data.filePath("navgraph/Index.gif"), "Index", Arrow::None, navgraph);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "make_nav_buttons: %s\n", e.what());
        return 1;
    }
    FinalizeImagingLibrary();
    return 0;
}
