// PNG reader and writer on the system's libpng. libpng reports errors by longjmp: each codec call
// runs in one small function that calls setjmp and holds no objects with destructors; the codec
// structures belong to an owner object that destroys them on every path, and exceptions are
// raised only after control is back in our own frames.
#include "imaging/formats/png_format.h"

#include "imaging/formats/fresh_pixels.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"

#include <QIODevice>
#include <QStringList>

#include <png.h>
#include <zlib.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

const QString PngDescription = QStringLiteral("Portable Network Graphics");

[[noreturn]] void raisePng(const QString& text) {
    throw EPGPNGFileFormatReaderWriter(QStringLiteral("PNG: ") + text);
}

// What one codec call ended with.
enum class Outcome {
    Done,          // finished (or stopped by the user's abort)
    CodecError,    // libpng reported an error or a warning that must stop; Text holds it
    Unsupported,   // the decoded rows do not fit any pixel format
    TooLarge,      // larger than the library holds
};

// State the hooks reach through libpng's error and I/O pointers.
struct PngContext {
    QIODevice* Stream = nullptr;
    int WarningMode = 3;
    char Text[256] = {};
};

void keepText(PngContext& context, const char* text) { std::snprintf(context.Text, sizeof context.Text, "%s", text); }

[[noreturn]] void errorHook(png_structp png, png_const_charp message) {
    keepText(*static_cast<PngContext*>(png_get_error_ptr(png)), message);
    png_longjmp(png, 1);
}

// Warnings follow the graphic's warning mode; the message box runs C++ code, so nothing may
// escape it into libpng.
void warningHook(png_structp png, png_const_charp message) {
    auto& context = *static_cast<PngContext*>(png_get_error_ptr(png));
    if (context.WarningMode == 0) return;
    if (context.WarningMode >= 3) {
        keepText(context, message);
        png_longjmp(png, 1);
    }
    bool cancelled = false;
    try {
        const auto buttons = context.WarningMode == 1 ? platform::MessageButtons::OK : platform::MessageButtons::OKCancel;
        const auto answer = platform::messageBox(QString::fromLocal8Bit(message), platform::MessageKind::Warning, buttons,
                                                 QStringLiteral("PNG ") + GetMessageText(28));
        cancelled = context.WarningMode == 2 && answer != platform::MessageResult::OK;
    } catch (...) {
        cancelled = context.WarningMode == 2;
    }
    if (cancelled) {
        keepText(context, GetMessageText(29).toUtf8().constData());
        png_longjmp(png, 1);
    }
}

void readHook(png_structp png, png_bytep data, size_t length) {
    auto& context = *static_cast<PngContext*>(png_get_io_ptr(png));
    if (context.Stream->read(reinterpret_cast<char*>(data), qint64(length)) != qint64(length)) png_error(png, "Read Error");
}

void writeHook(png_structp png, png_bytep data, size_t length) {
    auto& context = *static_cast<PngContext*>(png_get_io_ptr(png));
    if (context.Stream->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length))
        png_error(png, "Write Error");
}

void flushHook(png_structp) {}

// The linked libraries must be of the major and minor versions this module was built with.
void checkLibraryVersions() {
    const bool pngOk = png_access_version_number() / 100 == PNG_LIBPNG_VER / 100;
    const char* linkedZlib = zlibVersion();
    const char* builtZlib = ZLIB_VERSION;
    const char* secondDot = std::strchr(std::strchr(builtZlib, '.') ? std::strchr(builtZlib, '.') + 1 : builtZlib, '.');
    const size_t majorMinor = secondDot ? size_t(secondDot - builtZlib) : std::strlen(builtZlib);
    const bool zlibOk = std::strncmp(linkedZlib, builtZlib, majorMinor) == 0;
    if (!pngOk || !zlibOk) raisePng(QStringLiteral("Invalid library version"));
}

// Pure size check before anything is allocated: the pixel count, and the widest row is 3 bytes a
// pixel.
bool fitsImageCap(png_uint_32 width, png_uint_32 height) {
    if (!TPixelGraphic::WithinPixelLimit(width, height)) return false;
    const int64_t stride = ((24 * int64_t(width) + 31) / 32) * 4;
    return stride * int64_t(height) <= TPixelGraphic::MaxImageBytes;
}

struct Reading {
    PngContext Context;
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    bool ProgressStarted = false;
    bool Aborted = false;
    ~Reading() {
        if (Png) png_destroy_read_struct(&Png, Info ? &Info : nullptr, nullptr);
    }
};

void createReading(Reading& r, QIODevice& stream, int warningMode) {
    r.Context.Stream = &stream;
    r.Context.WarningMode = warningMode;
    r.Png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &r.Context, errorHook, warningHook);
    if (!r.Png) raisePng(FormatMessage1(31, QStringLiteral("png_create_read_struct")));
    r.Info = png_create_info_struct(r.Png);
    if (!r.Info) raisePng(FormatMessage1(31, QStringLiteral("png_create_info_struct")));
    png_set_read_fn(r.Png, &r.Context, readHook);
    // The library's own row buffers hold up to 8 bytes a pixel (16-bit RGBA); rows are 4 bytes or more.
    png_set_user_limits(r.Png, png_uint_32(TPixelGraphic::MaxImageBytes / 8),
                        png_uint_32(TPixelGraphic::MaxImageBytes / 4));
}

struct Layout {
    TPGPixelFormat Format = PixelFormat24Bit;
    TPaletteIdent Greys = pNone;  // the fixed palette of a grey image, pNone for palette and colour
    bool Widen2Bit = false;
};

Layout layoutOf(int colourType, int bitDepth) {
    Layout l;
    if (colourType & PNG_COLOR_MASK_PALETTE) {
        l.Format = bitDepth == 1 ? PixelFormat1Bit : bitDepth <= 4 ? PixelFormat4Bit : PixelFormat8Bit;
    } else if (colourType & PNG_COLOR_MASK_COLOR) {
        l.Format = PixelFormat24Bit;
    } else {
        l.Format = bitDepth == 1 ? PixelFormat1Bit : bitDepth <= 4 ? PixelFormat4Bit : PixelFormat8Bit;
        l.Greys = bitDepth == 1 ? pBlackWhite : bitDepth == 2 ? pGray4 : bitDepth == 4 ? pGray16 : pGray256;
    }
    l.Widen2Bit = bitDepth == 2;
    return l;
}

// The file's background colour as 8-bit components.
TColor fileBackground(png_structp png, png_infop info, const png_color_16& bg, int colourType, int bitDepth) {
    if (colourType == PNG_COLOR_TYPE_PALETTE) {
        png_colorp palette = nullptr;
        int count = 0;
        if (png_get_PLTE(png, info, &palette, &count) && bg.index < count)
            return pgRGB(palette[bg.index].red, palette[bg.index].green, palette[bg.index].blue);
        return 0;
    }
    auto scale = [bitDepth](int v) {
        return uint8_t(bitDepth == 16 ? v >> 8 : bitDepth == 8 ? v : v * 255 / ((1 << bitDepth) - 1));
    };
    if (colourType & PNG_COLOR_MASK_COLOR) return pgRGB(scale(bg.red), scale(bg.green), scale(bg.blue));
    return pgRGB(scale(bg.gray), scale(bg.gray), scale(bg.gray));
}

void widen2BitRows(TPixelGraphic& g) {
    for (int y = 0; y < g.GetHeight(); ++y) {
        uint8_t* row = g.GetScanLine(y);
        for (int x = g.GetWidth() - 1; x >= 0; --x) {
            const uint8_t v = uint8_t((row[x / 4] >> (6 - 2 * (x % 4))) & 3);
            uint8_t& target = row[x / 2];
            target = (x % 2) ? uint8_t((target & 0xF0) | v) : uint8_t((target & 0x0F) | (v << 4));
        }
    }
}

Outcome runRead(Reading& r, TPixelGraphic& g) {
    if (setjmp(png_jmpbuf(r.Png))) return Outcome::CodecError;
    png_structp png = r.Png;
    png_infop info = r.Info;
    png_read_info(png, info);
    const png_uint_32 width = png_get_image_width(png, info), height = png_get_image_height(png, info);
    const int colourType = png_get_color_type(png, info), bitDepth = png_get_bit_depth(png, info);
    if (!fitsImageCap(width, height)) return Outcome::TooLarge;
    const Layout layout = layoutOf(colourType, bitDepth);

    const bool transparent = png_get_valid(png, info, PNG_INFO_tRNS) || (colourType & PNG_COLOR_MASK_ALPHA);
    TColor background = g.GetBackgroundColor();
    if (transparent) {
        png_color_16p fileBg = nullptr;
        if ((PngUseFileBackground & 1) && png_get_bKGD(png, info, &fileBg)) {
            png_set_background(png, fileBg, PNG_BACKGROUND_GAMMA_FILE, 0, 1.0);
            background = fileBackground(png, info, *fileBg, colourType, bitDepth);
        } else {
            png_color_16 screen{};
            screen.red = png_uint_16(pgRed(background) * 256);
            screen.green = png_uint_16(pgGreen(background) * 256);
            screen.blue = png_uint_16(pgBlue(background) * 256);
            screen.gray = png_uint_16((pgRed(background) + pgGreen(background) + pgBlue(background)) * 256 / 3);
            png_set_background(png, &screen, PNG_BACKGROUND_GAMMA_SCREEN, 0, 1.0);
        }
    }
    double fileGamma = 0;
    if (png_get_gAMA(png, info, &fileGamma) && fileGamma > 0) g.SetImageGamma(1.0L / fileGamma);
    if (bitDepth == 16) png_set_strip_16(png);
    if (colourType & PNG_COLOR_MASK_COLOR && !(colourType & PNG_COLOR_MASK_PALETTE)) png_set_bgr(png);
    const int passes = png_set_interlace_handling(png);
    png_read_update_info(png, info);
    const int channels = png_get_channels(png, info);
    if (channels != (layout.Format == PixelFormat24Bit ? 3 : 1)) return Outcome::Unsupported;

    g.SetSize(int(width), int(height), layout.Format);
    PrepareFreshPixels(g);  // rows a damaged file never delivers stay black
    if (png_get_rowbytes(png, info) > size_t(g.GetBytesPerLine())) return Outcome::Unsupported;
    if (layout.Greys != pNone) {
        g.SetPaletteIdent(layout.Greys);
    } else if (layout.Format != PixelFormat24Bit) {
        png_colorp palette = nullptr;
        int count = 0;
        png_get_PLTE(png, info, &palette, &count);
        count = std::min(count, g.GetMaxColors());
        g.SetPaletteCount(count);
        for (int i = 0; i < count; ++i) g.SetPaletteColor(i, pgRGB(palette[i].red, palette[i].green, palette[i].blue));
    }
    g.SetBackground(background);

    r.ProgressStarted = true;
    g.FireProgressBegin();
    const int rows = int(height);
    for (int pass = 0; pass < passes && !r.Aborted; ++pass)
        for (int y = 0; y < rows; ++y) {
            png_read_row(png, g.GetScanLine(y), nullptr);
            bool abort = false;
            g.FireProgress(y + rows * pass, abort, rows * passes);
            if (abort) {
                r.Aborted = true;
                break;
            }
        }
    if (layout.Widen2Bit && !r.Aborted) widen2BitRows(g);
    g.FireProgressEnd();
    r.ProgressStarted = false;
    if (!r.Aborted) png_read_end(png, nullptr);
    return Outcome::Done;
}

Outcome runInfo(Reading& r) {
    if (setjmp(png_jmpbuf(r.Png))) return Outcome::CodecError;
    png_read_info(r.Png, r.Info);
    return Outcome::Done;
}

struct Writing {
    PngContext Context;
    png_structp Png = nullptr;
    png_infop Info = nullptr;
    std::vector<png_color> Palette;
    bool ProgressStarted = false;
    ~Writing() {
        if (Png) png_destroy_write_struct(&Png, Info ? &Info : nullptr);
    }
};

Outcome runWrite(Writing& w, TPixelGraphic& g) {
    if (setjmp(png_jmpbuf(w.Png))) return Outcome::CodecError;
    png_structp png = w.Png;
    png_infop info = w.Info;
    const int width = g.GetWidth(), height = g.GetHeight();
    int colourType = PNG_COLOR_TYPE_PALETTE;
    int bitDepth = 8;
    switch (g.GetPixelFormat()) {
    case PixelFormat24Bit: colourType = PNG_COLOR_TYPE_RGB; break;
    case PixelFormat8Bit:
        if (g.GetPaletteIdent() == pGray256) colourType = PNG_COLOR_TYPE_GRAY;
        break;
    case PixelFormat4Bit: bitDepth = 4; break;
    case PixelFormat1Bit: bitDepth = 1; break;
    }
    png_set_IHDR(png, info, png_uint_32(width), png_uint_32(height), bitDepth, colourType, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
    if (colourType == PNG_COLOR_TYPE_PALETTE) png_set_PLTE(png, info, w.Palette.data(), int(w.Palette.size()));
    // A gamma of 0 has no reciprocal: such a graphic is written without a gamma chunk.
    if (PngWriteGamma && g.GetImageGamma() > 0) png_set_gAMA(png, info, double(1.0L / g.GetImageGamma()));
    png_write_info(png, info);
    png_set_bgr(png);
    w.ProgressStarted = true;
    g.FireProgressBegin();
    for (int y = 0; y < height; ++y) {
        png_bytep row = g.GetScanLine(y);
        png_write_rows(png, &row, 1);
        bool abort = false;  // writing always completes
        g.FireProgress(y, abort, height - 1);
    }
    g.FireProgressEnd();
    w.ProgressStarted = false;
    png_write_end(png, nullptr);
    return Outcome::Done;
}

QString chunkList(png_structp png, png_infop info) {
    static const struct {
        png_uint_32 Flag;
        const char* Name;
    } chunks[] = {{PNG_INFO_gAMA, "gama"}, {PNG_INFO_sBIT, "sbit"}, {PNG_INFO_cHRM, "chrm"}, {PNG_INFO_PLTE, "plte"},
                  {PNG_INFO_tRNS, "trns"}, {PNG_INFO_bKGD, "bkgd"}, {PNG_INFO_hIST, "hist"}, {PNG_INFO_pHYs, "phys"},
                  {PNG_INFO_oFFs, "offs"}, {PNG_INFO_tIME, "time"}};
    QStringList present;
    for (const auto& chunk : chunks)
        if (png_get_valid(png, info, chunk.Flag)) present << QLatin1String(chunk.Name);
    return present.isEmpty() ? QString() : "(" + present.join(QStringLiteral(", ")) + ")";
}

}  // namespace

TPNGFileFormatReader::TPNGFileFormatReader() {
    Extension = QStringLiteral("png");
    Description = PngDescription;
    HasSignature = true;
}

bool TPNGFileFormatReader::IsFormat(const uint8_t* Header) const { return png_sig_cmp(Header, 0, 8) == 0; }

void TPNGFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) raisePng(FormatMessage1(7, QStringLiteral("Index")));
    checkLibraryVersions();
    Graphic.SetImageGamma(DisplayGamma);
    Reading r;
    createReading(r, Stream, Graphic.GetWarningMode());
    Outcome outcome;
    try {
        outcome = runRead(r, Graphic);
    } catch (...) {
        if (r.ProgressStarted) Graphic.FireProgressEnd();
        throw;
    }
    if (r.ProgressStarted) Graphic.FireProgressEnd();
    switch (outcome) {
    case Outcome::Done: return;
    case Outcome::CodecError: raisePng(QString::fromLocal8Bit(r.Context.Text));
    case Outcome::Unsupported: raisePng(GetMessageText(30));
    case Outcome::TooLarge: raisePng(FormatMessage1(27, QStringLiteral("image")));
    }
}

void TPNGFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raisePng(FormatMessage1(20, QStringLiteral("Index")));
    Reading r;
    createReading(r, Stream, 3);
    if (runInfo(r) != Outcome::Done) raisePng(QString::fromLocal8Bit(r.Context.Text));
    const int colourType = png_get_color_type(r.Png, r.Info);
    QString details = QStringLiteral("GrayScale");
    if (colourType & PNG_COLOR_MASK_PALETTE) details = QStringLiteral("palette");
    else if (colourType & PNG_COLOR_MASK_COLOR) details = QStringLiteral("RGB");
    if (colourType & PNG_COLOR_MASK_ALPHA) details += QStringLiteral(", alpha");
    if (png_get_interlace_type(r.Png, r.Info) == PNG_INTERLACE_ADAM7) details += QStringLiteral(", interlaced");
    Info.Details = details;
    Info.SubFormat = chunkList(r.Png, r.Info);
    Info.Width = int(png_get_image_width(r.Png, r.Info));
    Info.Height = int(png_get_image_height(r.Png, r.Info));
    Info.BitCount = png_get_bit_depth(r.Png, r.Info) * png_get_channels(r.Png, r.Info);
    switch (Info.BitCount) {
    case 1: Info.ColorsText = QStringLiteral("2"); break;
    case 2: Info.ColorsText = QStringLiteral("4"); break;
    case 4: Info.ColorsText = QStringLiteral("16"); break;
    case 8: Info.ColorsText = QStringLiteral("256"); break;
    case 16: Info.ColorsText = QStringLiteral("64K?"); break;
    case 24: Info.ColorsText = QStringLiteral("16.7M"); break;
    case 32: Info.ColorsText = QStringLiteral("16.7M?"); break;
    default: Info.ColorsText = QStringLiteral("?"); break;
    }
}

TPNGFileFormatWriter::TPNGFileFormatWriter() {
    Extension = QStringLiteral("png");
    Description = PngDescription;
    CanWriteResolutions = AllColorResolutions;
}

void TPNGFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    checkLibraryVersions();
    Writing w;
    w.Context.Stream = &Stream;
    w.Context.WarningMode = Graphic.GetWarningMode();
    w.Png = png_create_write_struct(PNG_LIBPNG_VER_STRING, &w.Context, errorHook, warningHook);
    if (!w.Png) raisePng(FormatMessage1(31, QStringLiteral("png_create_write_struct")));
    w.Info = png_create_info_struct(w.Png);
    if (!w.Info) raisePng(FormatMessage1(31, QStringLiteral("png_create_info_struct")));
    png_set_write_fn(w.Png, &w.Context, writeHook, flushHook);
    for (int i = 0; i < Graphic.GetPaletteCount(); ++i) {
        const TColor c = Graphic.GetPaletteColor(i);
        w.Palette.push_back(png_color{pgRed(c), pgGreen(c), pgBlue(c)});
    }
    Outcome outcome;
    try {
        outcome = runWrite(w, Graphic);
    } catch (...) {
        if (w.ProgressStarted) Graphic.FireProgressEnd();
        throw;
    }
    if (w.ProgressStarted) Graphic.FireProgressEnd();
    if (outcome != Outcome::Done) raisePng(QString::fromLocal8Bit(w.Context.Text));
}
