#include "imaging/formats/jpeg_scale.h"

#include <QFileInfo>
#include <algorithm>

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
