#pragma once
// Shared helpers of the imaging tests: library start-up and generated test images.
#include "imaging/format_registry.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QByteArray>
#include <QFile>
#include <QProcess>
#include <QStringList>
#include <QString>

#include <cmath>
#include <cstdlib>

namespace imaging_test {

inline void initLibrary() {
    InitImagingLibrary();
    SetImagingDefaults();
    MessageLanguage = 0;
}

// A smooth colour gradient with a little deterministic noise.
inline void fillGradient(TPixelGraphic& g, int w, int h) {
    g.SetSize(w, h, PixelFormat24Bit);
    unsigned seed = 12345;
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int noise = int((seed >> 16) % 7) - 3;
            const int r = std::clamp(x * 255 / std::max(1, w - 1) + noise, 0, 255);
            const int gg = std::clamp(y * 255 / std::max(1, h - 1) + noise, 0, 255);
            const int b = std::clamp(128 + int(60 * std::sin((x + y) / 17.0)) + noise, 0, 255);
            g.SetPixel(x, y, pgRGB(uint8_t(r), uint8_t(gg), uint8_t(b)));
        }
}

inline void fillGrayGradient(TPixelGraphic& g, int w, int h) {
    g.SetSize(w, h, PixelFormat8Bit);
    g.SetPaletteIdent(pGray256);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) g.SetPixel(x, y, uint32_t((x + 2 * y) * 255 / std::max(1, w + 2 * h - 3)));
}

// Mean absolute difference per channel of two graphics of the same size.
inline double meanError(const TPixelGraphic& a, const TPixelGraphic& b) {
    double sum = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x) {
            const TColor ca = a.GetPixelColor(x, y), cb = b.GetPixelColor(x, y);
            sum += std::abs(int(pgRed(ca)) - pgRed(cb)) + std::abs(int(pgGreen(ca)) - pgGreen(cb)) +
                   std::abs(int(pgBlue(ca)) - pgBlue(cb));
        }
    return sum / (3.0 * a.GetWidth() * a.GetHeight());
}

// Number of pixels whose stored values differ (every pixel when the sizes differ).
inline int64_t differingPixels(const TPixelGraphic& a, const TPixelGraphic& b) {
    if (a.GetWidth() != b.GetWidth() || a.GetHeight() != b.GetHeight()) return int64_t(a.GetWidth()) * a.GetHeight() + 1;
    int64_t count = 0;
    for (int y = 0; y < a.GetHeight(); ++y)
        for (int x = 0; x < a.GetWidth(); ++x)
            if (a.GetPixel(x, y) != b.GetPixel(x, y)) ++count;
    return count;
}

inline QByteArray readFile(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

inline void writeFile(const QString& path, const QByteArray& data) {
    QFile f(path);
    if (f.open(QIODevice::WriteOnly)) f.write(data);
}

// Debian's Python modules (Pillow) load only in the system interpreter.
inline QString python() { return QStringLiteral("/usr/bin/python3"); }

// Runs a program to its end, its output and errors in output; false when it cannot start, does
// not finish, crashes or exits non-zero.
inline bool runProgram(const QString& program, const QStringList& args, QString* output = nullptr) {
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, args);
    const bool finished = process.waitForStarted(10000) && process.waitForFinished(120000);
    if (output) *output = QString::fromUtf8(process.readAll()) + (finished ? "" : "(did not finish)");
    return finished && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Runs a Python script; false (with the reason in output) when it fails or cannot run.
inline bool runPython(const QString& script, const QStringList& args, QString& output) {
    return runProgram(python(), QStringList{QStringLiteral("-c"), script} + args, &output);
}

}  // namespace imaging_test
