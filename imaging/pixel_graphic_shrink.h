#pragma once
// Antialiased shrinking for thumbnails: a separable cubic convolution
// (Catmull-Rom) whose support widens with the reduction, so every source pixel
// contributes and fine detail blurs instead of turning into moire.
class TPixelGraphic;

// Makes Target a 24-bit Width x Height picture of the whole of Source (any
// pixel format). Sizes larger than the source are allowed but gain nothing over
// plain stretching.
void ShrinkSmoothly(const TPixelGraphic& Source, TPixelGraphic& Target, int Width, int Height);
