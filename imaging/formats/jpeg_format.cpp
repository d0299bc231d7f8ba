// JPEG reader and writer on the system's libjpeg, reached only through the stream managers of
// codec_streams.h. Fatal codec errors jump back into the small functions below (which hold no
// objects with destructors) and are raised from their callers as EPGJPGFileFormatReaderWriter.
#include "imaging/formats/jpeg_format.h"

#include "imaging/codec_streams.h"
#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "imaging/pixel_graphic.h"

#include <QFile>

#include <memory>

namespace {

const QString JpegDescription = QStringLiteral("JPEG (JFIF compliant)");

[[noreturn]] void raiseJpg(const QString& text) {
    throw EPGJPGFileFormatReaderWriter(QStringLiteral("JPG: ") + text);
}

QString codecText(const TPGJpegErrorManager& manager) {
    if (manager.MessageCode == JERR_BAD_LIB_VERSION || manager.MessageCode == JERR_BAD_STRUCT_SIZE)
        return QStringLiteral("Invalid library version");
    return QString::fromLocal8Bit(manager.Text);
}

J_DCT_METHOD dctMethod(int number) {
    switch (number) {
    case 1: return JDCT_IFAST;
    case 2: return JDCT_FLOAT;
    default: return JDCT_ISLOW;
    }
}

// One decompression; the codec object is destroyed with it whatever happens.
struct Decompressor {
    TPGJpegErrorManager Error;
    jpeg_decompress_struct Info{};
    jpeg_progress_mgr Progress{};
    std::unique_ptr<TPGJpegSource> Source = std::make_unique<TPGJpegSource>();
    bool Created = false;
    bool ProgressStarted = false;
    bool ProgressEnded = false;
    ~Decompressor() {
        if (Created) jpeg_destroy_decompress(&Info);
    }
};

struct Compressor {
    TPGJpegErrorManager Error;
    jpeg_compress_struct Info{};
    std::unique_ptr<TPGJpegDestination> Destination = std::make_unique<TPGJpegDestination>();
    bool Created = false;
    bool ProgressStarted = false;
    bool ProgressEnded = false;
    ~Compressor() {
        if (Created) jpeg_destroy_compress(&Info);
    }
};

enum class Outcome {
    Done,
    CodecError,   // the codec failed; its message is in the error manager
    Unsupported,  // a colour layout the graphic cannot hold
    TooLarge,     // more pixels, or more codec memory, than the library allows
    TooShort      // the data cannot hold the picture its header declares
};

struct DecodeRequest {
    const std::function<int(int, int)>* ChooseScale = nullptr;
    bool FastDct = false;
    TPGJpegScaledInfo* Scaled = nullptr;
};

// Checked against the size that will be decoded (after jpeg_calc_output_dimensions), so that a
// large photograph can still be read at a reduced scale.
bool outputTooLarge(const jpeg_decompress_struct& info) {
    return int64_t(info.output_width) * int64_t(info.output_height) > PGJpegMaxPixels;
}

// Every 8 x 8 block of every component that the scans code, the blocks rounded up to whole
// sampling units. Needs the header read.
int64_t codedBlocks(const jpeg_decompress_struct& info) {
    int64_t total = 0;
    for (int c = 0; c < info.num_components; ++c) {
        const jpeg_component_info& comp = info.comp_info[c];
        const int64_t h = comp.h_samp_factor, v = comp.v_samp_factor;
        const int64_t columns = (int64_t(comp.width_in_blocks) + h - 1) / h * h;
        const int64_t rows = (int64_t(comp.height_in_blocks) + v - 1) / v * v;
        total += columns * rows;
    }
    return total;
}

// A file of several scans (progressive) is decoded through coefficient buffers of the whole image
// at any output scale (64 two-byte coefficients a block); up to CoefficientAllowance of them are
// allowed whatever the data. A single scan decodes straight into the bitmap, whose pixels are what
// a large picture costs; up to LargePixels of them are allowed whatever the data.
// Past these sizes the data must hold at least one bit for every block. A Huffman-coded scan
// spends at least two on a block (a DC code and an end-of-block code, each one bit or longer):
// libjpeg codes a flat picture in 2.0 bits a block with tables fitted to it and in 4.7 to 6.0 with
// its standard tables, at any quality, and photographs take far more, so one bit leaves real files
// twice the margin while a few hundred bytes declaring a huge picture fall short a thousandfold.
// Arithmetic coding adapts until a flat block costs about a thousandth of a bit, so no size tells a
// flat picture from a bomb there; it is held to one bit in 64 blocks, which a smooth gradient
// passes twenty-fold (0.4 bits a block): of real files, only huge, nearly flat ones are refused.
constexpr int64_t CoefficientAllowance = int64_t(32) << 20;
constexpr int64_t ArithmeticBlocksPerBit = 64;

Outcome checkDataSize(jpeg_decompress_struct& info, QIODevice& stream) {
    const int64_t blocks = codedBlocks(info);
    const bool multiScan = jpeg_has_multiple_scans(&info);
    const int64_t coefficientBytes = multiScan ? blocks * int64_t(sizeof(JBLOCK)) : 0;
    if (coefficientBytes > PGJpegMaxCodecMemory) return Outcome::TooLarge;
    const bool large = multiScan ? coefficientBytes > CoefficientAllowance
                                 : int64_t(info.image_width) * int64_t(info.image_height) > TPixelGraphic::LargePixels;
    if (!large || stream.isSequential()) return Outcome::Done;
    const int64_t left = stream.size() - stream.pos() + int64_t(info.src->bytes_in_buffer);
    const int64_t blocksPerBit = info.arith_code ? ArithmeticBlocksPerBit : 1;
    return left * 8 * blocksPerBit < blocks ? Outcome::TooShort : Outcome::Done;
}

// Creates the codec object and reads the header. Must be called right after setjmp succeeded.
void openDecompressor(Decompressor& d, QIODevice& stream, int warningMode) {
    d.Info.err = PGJpegStdError(d.Error, warningMode);
    jpeg_create_decompress(&d.Info);
    d.Created = true;
    PGJpegInstallLimits(&d.Info, d.Progress);
    PGJpegStreamSource(&d.Info, *d.Source, stream);
    jpeg_read_header(&d.Info, TRUE);
}

Outcome runDecode(Decompressor& d, QIODevice& stream, TPixelGraphic& graphic, const DecodeRequest& request) {
    if (setjmp(d.Error.Jump)) return Outcome::CodecError;
    openDecompressor(d, stream, graphic.GetWarningMode());
    jpeg_decompress_struct& info = d.Info;
    int denominator = 1;
    if (request.ChooseScale) denominator = (*request.ChooseScale)(int(info.image_width), int(info.image_height));
    if (denominator != 2 && denominator != 4 && denominator != 8) denominator = 1;
    if (request.Scaled) {
        request.Scaled->FullWidth = int(info.image_width);
        request.Scaled->FullHeight = int(info.image_height);
        request.Scaled->ScaleDenominator = denominator;
    }
    info.scale_num = 1;
    info.scale_denom = unsigned(denominator);
    info.dct_method = request.FastDct ? JDCT_IFAST : dctMethod(JpegLoadDctMethod);
    info.quantize_colors = FALSE;
    info.dither_mode = JDITHER_NONE;
    info.two_pass_quantize = FALSE;
#ifdef JCS_EXTENSIONS
    // Decode colour straight into the bitmap's blue, green, red order.
    if (info.num_components == 3 && (info.jpeg_color_space == JCS_YCbCr || info.jpeg_color_space == JCS_RGB))
        info.out_color_space = JCS_EXT_BGR;
#endif
    jpeg_calc_output_dimensions(&info);
    if (outputTooLarge(info)) return Outcome::TooLarge;
    if (const Outcome data = checkDataSize(info, stream); data != Outcome::Done) return data;
    const int components = info.out_color_components;
    if (components != 1 && components != 3) return Outcome::Unsupported;
    const int width = int(info.output_width), height = int(info.output_height);
    graphic.SetSize(width, height, components == 1 ? PixelFormat8Bit : PixelFormat24Bit);
    if (components == 1) graphic.SetPaletteIdent(pGray256);
    jpeg_start_decompress(&info);
    d.ProgressStarted = true;
    graphic.FireProgressBegin();
    while (int(info.output_scanline) < height) {
        JSAMPROW row = graphic.GetScanLine(int(info.output_scanline));
        jpeg_read_scanlines(&info, &row, 1);
#ifndef JCS_EXTENSIONS
        if (components == 3)
            for (int x = 0; x < width; ++x) std::swap(row[3 * x], row[3 * x + 2]);
#endif
        bool abort = false;
        graphic.FireProgress(int(info.output_scanline), abort, height);
        if (abort) break;
    }
    d.ProgressEnded = true;
    graphic.FireProgressEnd();
    jpeg_finish_decompress(&info);
    return Outcome::Done;
}

void decode(QIODevice& stream, TPixelGraphic& graphic, const DecodeRequest& request) {
    Decompressor d;
    Outcome outcome;
    try {
        outcome = runDecode(d, stream, graphic, request);
    } catch (...) {
        if (d.ProgressStarted && !d.ProgressEnded) graphic.FireProgressEnd();
        throw;
    }
    if (d.ProgressStarted && !d.ProgressEnded) graphic.FireProgressEnd();
    switch (outcome) {
    case Outcome::Done: return;
    case Outcome::CodecError: raiseJpg(codecText(d.Error));
    case Outcome::Unsupported: raiseJpg(GetMessageText(30));
    case Outcome::TooLarge: raiseJpg(FormatMessage1(27, QStringLiteral("image")));
    case Outcome::TooShort: raiseJpg(GetMessageText(32));
    }
}

Outcome runInfo(Decompressor& d, QIODevice& stream) {
    if (setjmp(d.Error.Jump)) return Outcome::CodecError;
    openDecompressor(d, stream, 3);
    return Outcome::Done;
}

Outcome runEncode(Compressor& c, QIODevice& stream, TPixelGraphic& graphic) {
    if (setjmp(c.Error.Jump)) return Outcome::CodecError;
    jpeg_compress_struct& info = c.Info;
    info.err = PGJpegStdError(c.Error, graphic.GetWarningMode());
    jpeg_create_compress(&info);
    c.Created = true;
    PGJpegStreamDestination(&info, *c.Destination, stream);
    const int width = graphic.GetWidth(), height = graphic.GetHeight();
    info.image_width = JDIMENSION(width);
    info.image_height = JDIMENSION(height);
    const bool grey = graphic.GetPixelFormat() == PixelFormat8Bit;
    info.input_components = grey ? 1 : 3;
#ifdef JCS_EXTENSIONS
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_EXT_BGR;
#else
    info.in_color_space = grey ? JCS_GRAYSCALE : JCS_RGB;
    std::vector<JSAMPLE> swapped(size_t(width) * 3);
#endif
    jpeg_set_defaults(&info);
    if (JpegProgressive) jpeg_simple_progression(&info);
    jpeg_set_quality(&info, JpegQuality, TRUE);
    info.dct_method = dctMethod(JpegCompressDctMethod);
    jpeg_start_compress(&info, TRUE);
    c.ProgressStarted = true;
    graphic.FireProgressBegin();
    for (int r = 0; r < height; ++r) {
        JSAMPROW row = graphic.GetScanLine(r);
#ifndef JCS_EXTENSIONS
        if (!grey) {
            for (int x = 0; x < width; ++x) {
                swapped[3 * x] = row[3 * x + 2];
                swapped[3 * x + 1] = row[3 * x + 1];
                swapped[3 * x + 2] = row[3 * x];
            }
            row = swapped.data();
        }
#endif
        jpeg_write_scanlines(&info, &row, 1);
        bool abort = false;  // writing always completes
        graphic.FireProgress(r + 1, abort, height);
    }
    c.ProgressEnded = true;
    graphic.FireProgressEnd();
    jpeg_finish_compress(&info);
    return Outcome::Done;
}

}  // namespace

TJPGFileFormatReader::TJPGFileFormatReader() {
    Extension = QStringLiteral("jpg");
    Description = JpegDescription;
    HasSignature = true;
}

bool TJPGFileFormatReader::IsFormat(const uint8_t* Header) const { return Header[0] == 0xFF && Header[1] == 0xD8; }

void TJPGFileFormatReader::Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex) {
    if (ImageIndex != 0) raiseJpg(FormatMessage1(7, QStringLiteral("Index")));
    Graphic.SetImageGamma(DisplayGamma);
    DecodeRequest request;
    request.FastDct = Graphic.GetFastJpegDct() || JpegLoadDctMethod == 1;
    decode(Stream, Graphic, request);
}

void TJPGFileFormatReader::GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info) {
    TFileFormatReader::GetInfo(Stream, ImageIndex, Info);
    if (ImageIndex != 0) raiseJpg(FormatMessage1(20, QStringLiteral("Index")));
    Decompressor d;
    if (runInfo(d, Stream) != Outcome::Done) raiseJpg(codecText(d.Error));
    const jpeg_decompress_struct& info = d.Info;
    Info.Width = int(info.image_width);
    Info.Height = int(info.image_height);
    Info.BitCount = 8 * info.num_components;
    static const char* colours[] = {"?", "256", "64K", "16.7M", "4294.9M"};
    Info.ColorsText = QString::fromLatin1(info.num_components >= 1 && info.num_components <= 4 ? colours[info.num_components]
                                                                                              : colours[0]);
    static const char* spaces[] = {"unknown", "GrayScale", "RGB", "YCbCr", "CMYK", "YCbCrK"};
    QString text = int(info.jpeg_color_space) >= 0 && int(info.jpeg_color_space) <= 5
                       ? QString::fromLatin1(spaces[info.jpeg_color_space])
                       : QString();
    if (info.progressive_mode) text += QStringLiteral(", Progressive");
    if (info.saw_Adobe_marker) text.prepend(QStringLiteral("Adope, "));
    if (info.saw_JFIF_marker) text.prepend(QStringLiteral("JFIF, "));
    Info.Details = text;
}

TJPGFileFormatWriter::TJPGFileFormatWriter() {
    Extension = QStringLiteral("jpg");
    Description = JpegDescription;
    CanWriteResolutions = ResolutionBit(Resolution256Grays) | ResolutionBit(ResolutionTrueColor);
}

void TJPGFileFormatWriter::Write(QIODevice& Stream, TPixelGraphic& Graphic) {
    Graphic.DetectPaletteIdent();
    const bool accepted = Graphic.GetPixelFormat() == PixelFormat24Bit ||
                          (Graphic.GetPixelFormat() == PixelFormat8Bit && Graphic.GetPaletteIdent() == pGray256);
    if (!accepted) raiseJpg(FormatMessage1(20, QStringLiteral("BitCount")));
    Compressor c;
    Outcome outcome;
    try {
        outcome = runEncode(c, Stream, Graphic);
    } catch (...) {
        if (c.ProgressStarted && !c.ProgressEnded) Graphic.FireProgressEnd();
        throw;
    }
    if (c.ProgressStarted && !c.ProgressEnded) Graphic.FireProgressEnd();
    if (outcome != Outcome::Done) raiseJpg(codecText(c.Error));
}

TPGJpegScaledInfo LoadJpegScaled(QIODevice& Stream, TPixelGraphic& Graphic,
                                 const std::function<int(int, int)>& ChooseScale, bool FastDct) {
    TPGJpegScaledInfo result;
    DecodeRequest request;
    request.ChooseScale = &ChooseScale;
    request.FastDct = FastDct;
    request.Scaled = &result;
    Graphic.BeginUpdate();
    try {
        Graphic.SetImageGamma(DisplayGamma);
        decode(Stream, Graphic, request);
        Graphic.DetectPaletteIdent();
    } catch (...) {
        Graphic.EndUpdate();
        throw;
    }
    Graphic.EndUpdate();
    return result;
}

TPGJpegScaledInfo LoadJpegFileScaled(const QString& FileName, TPixelGraphic& Graphic,
                                     const std::function<int(int, int)>& ChooseScale, bool FastDct) {
    QFile file(FileName);
    if (!file.open(QIODevice::ReadOnly)) raiseJpg(FormatMessage1(31, QStringLiteral("Open ") + FileName));
    return LoadJpegScaled(file, Graphic, ChooseScale, FastDct);
}

TPGJpegScaledInfo LoadJpegFileScaled(const QString& FileName, TPixelGraphic& Graphic, int ScaleDenominator,
                                     bool FastDct) {
    return LoadJpegFileScaled(FileName, Graphic, [ScaleDenominator](int, int) { return ScaleDenominator; }, FastDct);
}
