#include "site_manager/builder/thumbnail_sizing.h"

#include "site_manager/site_paths.h"

#include <QFileInfo>
#include <algorithm>

QSize calculatedimensions(int w, int h, int W, int H) {
    if (w < W && h < H) return {w, h};
    if (w <= 0 || h <= 0 || W <= 0 || H <= 0) return {std::min(w, W), std::min(h, H)};
    const double boxRatio = double(H) / double(W);
    const double imageRatio = double(h) / double(w);
    const double factor = boxRatio > imageRatio ? double(w) / double(W) : double(h) / double(H);
    int newWidth = int(double(w) / factor);
    int newHeight = int(double(h) / factor);
    return {std::min(newWidth, W), std::min(newHeight, H)};
}

int AxisScale(int d, int m) {
    if (m > d / 2) return 1;
    if (m > d / 4) return 2;
    if (m > d / 8) return 4;
    return 8;
}

int JpegScaleFor(int w, int h, int W, int H) { return std::min(AxisScale(w, W), AxisScale(h, H)); }

bool IsJpegFile(const QString& path) {
    const QString suffix = QFileInfo(path).suffix().toLower();
    return suffix == "jpg" || suffix == "jpeg" || suffix == "jpe";
}

QString ThumbnailFileName(const QString& imageName) {
    if (imageName.isEmpty()) return QString();
    return changeextension(imageName, "") + "_thb.jpg";
}
