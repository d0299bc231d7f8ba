#pragma once
// How a thumbnail is sized: the fitting rule shared by thumbnails and image pages, and the JPEG
// decoder scale that keeps a decoded photo no smaller than the thumbnail box.
#include <QSize>
#include <QString>

// Fits w x h into the box W x H keeping the aspect ratio; never enlarges.
QSize calculatedimensions(int w, int h, int W, int H);
// The DCT scale denominator (1, 2, 4 or 8) for one axis of d pixels and a box of m pixels.
int AxisScale(int d, int m);
// The DCT scale denominator for an image of w x h and a box of W x H.
int JpegScaleFor(int w, int h, int W, int H);
// ".jpg", ".jpeg" and ".jpe" in any case.
bool IsJpegFile(const QString& path);
// The image's name without extension followed by "_thb.jpg"; empty for an empty name.
QString ThumbnailFileName(const QString& imageName);
