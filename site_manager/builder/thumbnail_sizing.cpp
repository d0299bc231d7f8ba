#include "site_manager/builder/thumbnail_sizing.h"

#include "site_manager/site_paths.h"

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

QString ThumbnailFileName(const QString& imageName) {
    if (imageName.isEmpty()) return QString();
    return changeextension(imageName, "") + ThumbnailFileSuffix;
}
