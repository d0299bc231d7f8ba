#pragma once
// Makes the JPEG thumbnail of one image for the build, in two halves:
// shrinkImage (decoding and shrinking, safe on worker threads) and
// writeThumbnail (encoding and writing).
#include <QString>

#include <memory>

class TPixelGraphic;
namespace platform {
class ReplacementBatch;
}

// The outcome of shrinking one image.
struct ShrunkImage {
    enum class Result {
        Made,        // Pixels holds the upright 24-bit thumbnail
        Unreadable,  // the image could not be read or is too large
    };
    Result Outcome = Result::Unreadable;
    std::shared_ptr<TPixelGraphic> Pixels;
};

// Decodes source (a JPEG at the smallest DCT scale that still covers twice the
// box), turns it upright by its EXIF orientation, shows transparent GIF areas
// as white and shrinks it with an antialiasing filter to exactly the size the
// fitting rule gives the whole picture for W x H (never enlarging). Shows no
// box: any thread may call it.
ShrunkImage shrinkImage(const QString& source, int W, int H);
// Writes the thumbnail as a progressive JPEG of the given quality, left in step
// when given (see writeBuildFile); false on failure.
bool writeThumbnail(TPixelGraphic& thumbnail, const QString& target, int quality,
                    platform::ReplacementBatch* step = nullptr);

// Both halves for one image. On a failure the user is asked whether to go on:
// true means written or go on, false means stop.
bool createthumbnail(const QString& source, const QString& target, int W, int H, int quality);
// The question asked when a thumbnail cannot be made; true when the user goes
// on.
bool askToContinueAfterThumbnailError();
