// Stream managers, error hooks and structure checks for the codec libraries.
#include "imaging/codec_streams.h"

#include "imaging/pg_exceptions.h"
#include "imaging/pg_messages.h"
#include "platform/dialogs.h"

#include <QIODevice>

#include <png.h>

#include <cstring>

namespace {

[[noreturn]] void errorExit(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<TPGJpegErrorManager*>(cinfo->err);
    char text[JMSG_LENGTH_MAX] = {};
    cinfo->err->format_message(cinfo, text);
    std::snprintf(manager->Text, sizeof manager->Text, "%.200s", text);
    manager->MessageCode = cinfo->err->msg_code;
    std::longjmp(manager->Jump, 1);
}

// Warnings: the message box runs C++ code, so nothing may escape it into the codec.
void outputMessage(j_common_ptr cinfo) {
    auto* manager = reinterpret_cast<TPGJpegErrorManager*>(cinfo->err);
    if (manager->WarningMode == 0) return;
    char text[JMSG_LENGTH_MAX] = {};
    cinfo->err->format_message(cinfo, text);
    if (manager->WarningMode == 3) {
        std::snprintf(manager->Text, sizeof manager->Text, "%.200s", text);
        manager->MessageCode = cinfo->err->msg_code;
        std::longjmp(manager->Jump, 1);
    }
    bool cancelled = false;
    try {
        const QString caption = QStringLiteral("JPG ") + GetMessageText(28);
        const auto buttons =
            manager->WarningMode == 1 ? platform::MessageButtons::OK : platform::MessageButtons::OKCancel;
        const auto answer =
            platform::messageBox(QString::fromLocal8Bit(text), platform::MessageKind::Warning, buttons, caption);
        cancelled = manager->WarningMode == 2 && answer != platform::MessageResult::OK;
    } catch (...) {
        cancelled = manager->WarningMode == 2;
    }
    if (cancelled) {
        std::snprintf(manager->Text, sizeof manager->Text, "%s", GetMessageText(29).toUtf8().constData());
        manager->MessageCode = 0;
        std::longjmp(manager->Jump, 1);
    }
}

void progressMonitor(j_common_ptr cinfo) {
    if (!cinfo->is_decompressor) return;
    auto* d = reinterpret_cast<j_decompress_ptr>(cinfo);
    if (d->input_scan_number > PGJpegMaxScans) {
        auto* manager = reinterpret_cast<TPGJpegErrorManager*>(cinfo->err);
        std::snprintf(manager->Text, sizeof manager->Text, "too many scans (more than %d)", PGJpegMaxScans);
        manager->MessageCode = -1;
        std::longjmp(manager->Jump, 1);
    }
}

void initSource(j_decompress_ptr cinfo) { reinterpret_cast<TPGJpegSource*>(cinfo->src)->StartOfFile = true; }

boolean fillInputBuffer(j_decompress_ptr cinfo) {
    auto* source = reinterpret_cast<TPGJpegSource*>(cinfo->src);
    qint64 got = source->Stream->read(reinterpret_cast<char*>(source->Buffer), sizeof source->Buffer);
    if (got <= 0) {
        if (source->StartOfFile) ERREXIT(cinfo, JERR_INPUT_EMPTY);
        WARNMS(cinfo, JWRN_JPEG_EOF);
        // End the image with an end-of-image marker so the decoder finishes what it has.
        source->Buffer[0] = 0xFF;
        source->Buffer[1] = JPEG_EOI;
        got = 2;
    }
    source->Pub.next_input_byte = source->Buffer;
    source->Pub.bytes_in_buffer = size_t(got);
    source->StartOfFile = false;
    return TRUE;
}

void skipInputData(j_decompress_ptr cinfo, long count) {
    auto* source = reinterpret_cast<TPGJpegSource*>(cinfo->src);
    if (count <= 0) return;
    while (count > long(source->Pub.bytes_in_buffer)) {
        count -= long(source->Pub.bytes_in_buffer);
        fillInputBuffer(cinfo);
    }
    source->Pub.next_input_byte += count;
    source->Pub.bytes_in_buffer -= size_t(count);
}

void termSource(j_decompress_ptr) {}

void initDestination(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<TPGJpegDestination*>(cinfo->dest);
    destination->Pub.next_output_byte = destination->Buffer;
    destination->Pub.free_in_buffer = sizeof destination->Buffer;
}

boolean emptyOutputBuffer(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<TPGJpegDestination*>(cinfo->dest);
    const qint64 size = qint64(sizeof destination->Buffer);
    if (destination->Stream->write(reinterpret_cast<const char*>(destination->Buffer), size) != size)
        ERREXIT(cinfo, JERR_FILE_WRITE);
    destination->Pub.next_output_byte = destination->Buffer;
    destination->Pub.free_in_buffer = sizeof destination->Buffer;
    return TRUE;
}

void termDestination(j_compress_ptr cinfo) {
    auto* destination = reinterpret_cast<TPGJpegDestination*>(cinfo->dest);
    const qint64 size = qint64(sizeof destination->Buffer - destination->Pub.free_in_buffer);
    if (size > 0 && destination->Stream->write(reinterpret_cast<const char*>(destination->Buffer), size) != size)
        ERREXIT(cinfo, JERR_FILE_WRITE);
}

}  // namespace

jpeg_error_mgr* PGJpegStdError(TPGJpegErrorManager& Manager, int WarningMode) {
    jpeg_std_error(&Manager.Pub);
    Manager.Pub.error_exit = errorExit;
    Manager.Pub.output_message = outputMessage;
    Manager.WarningMode = WarningMode;
    Manager.Text[0] = 0;
    Manager.MessageCode = 0;
    return &Manager.Pub;
}

void PGJpegInstallLimits(j_decompress_ptr cinfo, jpeg_progress_mgr& Progress) {
    cinfo->mem->max_memory_to_use = PGJpegMaxCodecMemory;
    Progress.progress_monitor = progressMonitor;
    cinfo->progress = &Progress;
}

void PGJpegStreamSource(j_decompress_ptr cinfo, TPGJpegSource& Source, QIODevice& Stream) {
    Source.Stream = &Stream;
    Source.StartOfFile = true;
    Source.Pub.init_source = initSource;
    Source.Pub.fill_input_buffer = fillInputBuffer;
    Source.Pub.skip_input_data = skipInputData;
    Source.Pub.resync_to_restart = jpeg_resync_to_restart;
    Source.Pub.term_source = termSource;
    Source.Pub.bytes_in_buffer = 0;
    Source.Pub.next_input_byte = nullptr;
    cinfo->src = &Source.Pub;
}

void PGJpegStreamDestination(j_compress_ptr cinfo, TPGJpegDestination& Destination, QIODevice& Stream) {
    Destination.Stream = &Stream;
    Destination.Pub.init_destination = initDestination;
    Destination.Pub.empty_output_buffer = emptyOutputBuffer;
    Destination.Pub.term_destination = termDestination;
    cinfo->dest = &Destination.Pub;
}

std::size_t PGSizeOfJpegErrorMgr() { return sizeof(jpeg_error_mgr); }
std::size_t PGSizeOfJpegDecompressStruct() { return sizeof(jpeg_decompress_struct); }
std::size_t PGSizeOfJpegCompressStruct() { return sizeof(jpeg_compress_struct); }
std::size_t PGSizeOfJpegCommonStruct() { return sizeof(jpeg_common_struct); }

namespace {

[[noreturn]] void structureMismatch(const char* name) {
    throw EPixelGraphic(QStringLiteral("%1: the size the codec library was built with and the size the imaging "
                                       "library uses differ")
                            .arg(QLatin1String(name)));
}

// The codec compares the structure size it was built with against ours when an object is created.
bool jpegAccepts(bool decompress) {
    TPGJpegErrorManager manager;
    jpeg_decompress_struct d;
    jpeg_compress_struct c;
    std::memset(&d, 0, sizeof d);
    std::memset(&c, 0, sizeof c);
    d.err = PGJpegStdError(manager, 3);
    c.err = d.err;
    if (setjmp(manager.Jump)) return manager.MessageCode != JERR_BAD_STRUCT_SIZE && manager.MessageCode != JERR_BAD_LIB_VERSION;
    if (decompress) {
        jpeg_create_decompress(&d);
        jpeg_destroy_decompress(&d);
    } else {
        jpeg_create_compress(&c);
        jpeg_destroy_compress(&c);
    }
    return true;
}

}  // namespace

void CheckCodecStructures() {
    // The PNG library's structures are opaque in current builds; its version number stands for
    // their layout: the major and minor version must be those of the headers.
    const png_uint_32 linked = png_access_version_number();
    if (linked / 100 != PNG_LIBPNG_VER / 100) structureMismatch("png_info");
    if (sizeof(png_color) != 3) structureMismatch("png_color");
    if (sizeof(png_color_8) != 5) structureMismatch("png_color_8");
    if (sizeof(png_color_16) != 10) structureMismatch("png_color_16");
    if (!jpegAccepts(true)) structureMismatch("jpeg_decompress_struct");
    if (!jpegAccepts(false)) structureMismatch("jpeg_compress_struct");
}

double PGAtof(const char* Text) {
    bool ok = false;
    const double value = QString::fromLatin1(Text).trimmed().toDouble(&ok);
    if (!ok) throw std::invalid_argument("Error in _atof!");
    return value;
}
