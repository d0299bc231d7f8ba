#pragma once
// The DCT scale a thumbnail-sized JPEG decode uses, shared by the build and the thumbnail grid.
#include <QString>

// The coarsest denominator (1, 2, 4 or 8) whose decoded side still covers a box side of m pixels
// for an axis of d pixels.
int AxisScale(int d, int m);
// The finer of the two axes' scales for an image of w x h and a box of W x H.
int JpegScaleFor(int w, int h, int W, int H);
// ".jpg", ".jpeg" and ".jpe" in any case: the files decoded by the scaled JPEG loader.
bool IsJpegFile(const QString& path);
