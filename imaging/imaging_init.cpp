// Start-up and shut-down of the imaging library: checks, option defaults and the registries.
#include "imaging/imaging_init.h"

#include "imaging/codec_streams.h"
#include "imaging/format_registry.h"
#include "imaging/formats/bmp_format.h"
#include "imaging/formats/gif_bridge.h"
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_registry_reader.h"
#include "imaging/formats/ico_format.h"
#include "imaging/formats/jpeg_format.h"
#include "imaging/formats/metafile_format.h"
#include "imaging/formats/pcx_format.h"
#include "imaging/formats/png_format.h"
#include "imaging/formats/pnm_format.h"
#include "imaging/formats/tga_format.h"
#include "imaging/formats/tiff_format.h"
#include "imaging/pg_messages.h"

long double DisplayGamma = 1.8L;
bool GammaCorrection = true;
bool DibFill16BitLowBits = true;
uint8_t JpegLoadDctMethod = 0;
uint8_t JpegCompressDctMethod = 2;
uint8_t JpegQuality = 80;
bool JpegProgressive = false;
uint8_t PngUseFileBackground = 1;
bool PngWriteGamma = true;
bool PxMWriteBinary = false;
int32_t TiffMaxImages = 1000;
bool TiffCountImages = false;
int32_t TiffCompression = 1;
bool TiffWriteCmyk = false;
bool TiffWhiteIsZero = false;
bool TiffBigEndian = false;
uint8_t TiffResolutionUnit = 1;
uint32_t TiffXResolutionNumerator = 300, TiffXResolutionDenominator = 1;
uint32_t TiffYResolutionNumerator = 300, TiffYResolutionDenominator = 1;
TPGLogicalFont PreviewInfoFont;

namespace {

int initCount = 0;

template <typename Format>
void addReader() {
    RegisterFileFormatReader(std::make_unique<Format>());
}

template <typename Format>
void addWriter() {
    RegisterFileFormatWriter(std::make_unique<Format>());
}

// The built-in formats, one line each, in the order of registration (lookups sort by extension,
// so the order matters only between entries of the same extension).
void RegisterCoreFormats() {
    addReader<TBMPFileFormatReader>();
    addReader<TDIBFileFormatReader>();
    addReader<TRLEFileFormatReader>();
    addReader<TJPGFileFormatReader>();
    addReader<TJPEGFileFormatReader>();
    addReader<TJIFFileFormatReader>();
    addReader<TPNGFileFormatReader>();
    addReader<TPCXFileFormatReader>();
    addReader<TPBMFileFormatReader>();
    addReader<TPGMFileFormatReader>();
    addReader<TPPMFileFormatReader>();
    addReader<TTGAFileFormatReader>();
    addReader<TTIFFileFormatReader>();
    addReader<TTIFFFileFormatReader>();

    addWriter<TBMPFileFormatWriter>();
    addWriter<TDIBFileFormatWriter>();
    addWriter<TJPGFileFormatWriter>();
    addWriter<TJPEGFileFormatWriter>();
    addWriter<TJIFFileFormatWriter>();
    addWriter<TPNGFileFormatWriter>();
    addWriter<TPBMFileFormatWriter>();
    addWriter<TPGMFileFormatWriter>();
    addWriter<TPPMFileFormatWriter>();
    addWriter<TTGAFileFormatWriter>();
    addWriter<TTIFFileFormatWriter>();
    addWriter<TTIFFFileFormatWriter>();
}

}  // namespace

void SetImagingDefaults() {
    DisplayGamma = 1.8L;
    GammaCorrection = true;
    DibFill16BitLowBits = true;
    JpegLoadDctMethod = 0;
    JpegCompressDctMethod = 2;
    JpegQuality = 80;
    JpegProgressive = false;
    PngUseFileBackground = 1;
    PngWriteGamma = true;
    PxMWriteBinary = false;
    TiffMaxImages = 1000;
    TiffCountImages = false;
    TiffCompression = 1;
    TiffWriteCmyk = false;
    TiffWhiteIsZero = false;
    TiffBigEndian = false;
    TiffResolutionUnit = 1;
    TiffXResolutionNumerator = 300;
    TiffXResolutionDenominator = 1;
    TiffYResolutionNumerator = 300;
    TiffYResolutionDenominator = 1;
}

void InitImagingLibrary() {
    if (initCount++ > 0) return;
    CheckMessageTable();
    MessageLanguage = 0;
    PreviewInfoFont = TPGLogicalFont();
    SetImagingDefaults();
    DefaultBMPReader = std::make_unique<TBMPFileFormatReader>();
    DefaultBMPWriter = std::make_unique<TBMPFileFormatWriter>();
    FileFormatReaders.clear();
    FileFormatWriters.clear();
    RegisterCoreFormats();
    // The later modules: the metafile readers, the GIF bridge, the icon reader, then the
    // library's own GIF reader behind the bridge.
    RegisterMetafileReaders();
    RegisterGIFFileFormat();
    RegisterIcoReader();
    RegisterGifReader();
    CheckCodecStructures();
}

void FinalizeImagingLibrary() {
    if (initCount == 0 || --initCount > 0) return;
    DefaultBMPReader.reset();
    DefaultBMPWriter.reset();
    FileFormatReaders.clear();
    FileFormatWriters.clear();
    FinalizeGIFCodec();
}
