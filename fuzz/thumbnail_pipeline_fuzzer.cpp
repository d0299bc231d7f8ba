// Fuzz target for what a user's image file goes through, each step in the code the programs run:
// the thumbnail grid (DCT-scaled JPEG decode, EXIF orientation, stretch into the box), the build's
// thumbnail (scaled decode, orientation, smooth shrink, JPEG encode), the site editor's conversion
// of a dropped file to JPEG, and the open dialog's preview.
// Input: byte 0 picks the file name's extension, bytes 1 and 2 the box's width and height
// (1..256), byte 3 the grid's size factor and the preview's display depth; the rest is the file.
// The grid and the build catch every error themselves; the conversion and the preview expect only
// the library's own errors. Anything else (a crash, a sanitizer report, a time-out, memory past
// the fuzzer's limit) is a finding.
#include "components/thumb_image_loader.h"
#include "fuzz/wmf_fuzz_support.h"
#include "imaging/format_registry.h"
#include "imaging/formats/gif_object_model.h"
#include "imaging/imaging_init.h"
#include "imaging/open_dialog_worker.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "site_manager/builder/thumbnail_maker.h"
#include "site_manager/image_conversion.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <exception>

namespace {

// The extensions the readers are chosen by when the first bytes match no signature; "jpg" and
// "jpeg" also take the grid's and the build's scaled JPEG decoder.
const char* const Extensions[] = {"jpg", "jpeg", "gif", "bmp", "dib", "rle", "png", "pcx",
                                  "tga", "tif",  "ppm", "pgm", "pbm", "ico", "wmf", "emf"};
constexpr size_t ExtensionCount = sizeof Extensions / sizeof *Extensions;
constexpr size_t HeaderSize = 4;

// Encoding is the system library's work and grows with the pixels the reader has accepted; larger
// conversions are read but not written, so that a run stays within the time-out.
constexpr int64_t MaxEncodedPixels = int64_t(1) << 22;

// Files are written where the steps read them, in memory when /dev/shm is there.
const QString& workDirectory() {
    static QTemporaryDir* directory = [] {
        const QString base = QDir("/dev/shm").exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
        return new QTemporaryDir(base + "/thumbnail_pipeline_fuzz-XXXXXX");  // lives for the whole run
    }();
    static const QString path = directory->path();
    return path;
}

void gridThumbnail(const QString& file, int boxWidth, int boxHeight, int sizeFactor) {
    const auto thumbnail = MakeThumbnail(file, boxWidth, boxHeight, sizeFactor);
    if (thumbnail && !thumbnail->Image.isNull()) (void)thumbnail->Image.pixel(0, 0);
}

void buildThumbnail(const QString& file, int boxWidth, int boxHeight) {
    ShrunkImage shrunk = shrinkImage(file, boxWidth, boxHeight);
    if (shrunk.Outcome == ShrunkImage::Result::Made)
        (void)writeThumbnail(*shrunk.Pixels, workDirectory() + "/thumbnail.jpg", 75);
}

// The site editor converts a dropped file that is neither JPEG nor GIF: load, then save as JPEG.
void conversion(const QString& file) {
    TPixelGraphic image;
    try {
        image.LoadFromFile(file);
    } catch (const EPixelGraphic&) {
        return;  // the editor reports the file as not copied
    } catch (const EInvalidGraphic&) {
        return;  // the GIF codec's errors, reported the same way
    }
    if (int64_t(image.GetWidth()) * image.GetHeight() <= MaxEncodedPixels)
        (void)jpegBytes(image, true, 80);
}

void preview(const QString& file, int boxWidth, int boxHeight, uint8_t choice) {
    TPreviewJob job;
    job.FileName = file;
    job.BoxWidth = boxWidth;
    job.BoxHeight = boxHeight;
    const int depths[] = {24, 8, 4, 24};
    job.DisplayBitsPerPixel = depths[(choice >> 1) & 3];
    job.StretchMode = TStretchMode((choice >> 3) % 3);
    try {
        (void)TCreateOpenSaveDialogPaintPGThread::MakePreview(job, {});
    } catch (const EPixelGraphic&) {
        // the dialog leaves the preview blank
    } catch (const EInvalidGraphic&) {
        // the GIF codec's errors: the same
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < HeaderSize) return 0;
    fuzzing::ensureGuiApplication();  // metafiles draw text
    static const bool initialised = [] {
        InitImagingLibrary();
        SortFormatLists();
        // The conversion asks about codec warnings as the editor does; the user goes on.
        platform::setMessageResponder([](const platform::MessageRequest&) { return platform::MessageResult::OK; });
        return true;
    }();
    (void)initialised;
    const QString file = workDirectory() + "/input." + Extensions[data[0] % ExtensionCount];
    const int boxWidth = 1 + data[1], boxHeight = 1 + data[2];
    const uint8_t choice = data[3];
    {
        QFile out(file);
        if (!out.open(QIODevice::WriteOnly | QIODevice::Truncate)) std::abort();
        const qint64 length = qint64(size - HeaderSize);
        if (out.write(reinterpret_cast<const char*>(data + HeaderSize), length) != length) std::abort();
    }
    gridThumbnail(file, boxWidth, boxHeight, (choice & 1) ? 2 : 1);
    buildThumbnail(file, boxWidth, boxHeight);
    conversion(file);
    preview(file, boxWidth, boxHeight, choice);
    QFile::remove(file);
    return 0;
}
