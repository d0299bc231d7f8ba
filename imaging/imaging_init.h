#pragma once
// Start-up and shut-down of the imaging library and its library-wide options.
// Programs and tests call InitImagingLibrary() once before using the library (static
// initialisers of a static library may be dropped by the linker, so nothing registers itself).
#include <QString>

#include <cstdint>

extern long double DisplayGamma;          // 1.8
extern bool GammaCorrection;              // true
extern bool DibFill16BitLowBits;          // true
extern uint8_t JpegLoadDctMethod;         // 0 slow integer, 1 fast integer, 2 floating point
extern uint8_t JpegCompressDctMethod;     // 2
extern uint8_t JpegQuality;               // 80
extern bool JpegProgressive;              // false
extern uint8_t PngUseFileBackground;      // 1
extern bool PngWriteGamma;                // true
extern bool PxMWriteBinary;               // false
extern int32_t TiffMaxImages;             // 1000
extern bool TiffCountImages;              // false
extern int32_t TiffCompression;           // 1
extern bool TiffWriteCmyk;                // false
extern bool TiffWhiteIsZero;              // false
extern bool TiffBigEndian;                // false
extern uint8_t TiffResolutionUnit;        // 1
extern uint32_t TiffXResolutionNumerator, TiffXResolutionDenominator;  // 300, 1
extern uint32_t TiffYResolutionNumerator, TiffYResolutionDenominator;  // 300, 1

// Font of the open dialog's information panel, as a logical font description.
struct TPGLogicalFont {
    int Height = 8;
    int Width = 0;
    int Escapement = 0;
    int Orientation = 0;
    int Weight = 400;
    bool Italic = false;
    bool Underline = false;
    bool StrikeOut = false;
    uint8_t CharSet = 1;  // the default character set
    uint8_t OutPrecision = 0;
    uint8_t ClipPrecision = 0;
    uint8_t Quality = 0;
    uint8_t PitchAndFamily = 0;
    QString FaceName = QStringLiteral("MS Sans Serif");
};
extern TPGLogicalFont PreviewInfoFont;

// Checks the message table and the codec structures, sets the options to their defaults and
// registers the built-in readers and writers. Counted: only the first call acts.
void InitImagingLibrary();
// Frees the registries; only the call matching the first initialisation acts.
void FinalizeImagingLibrary();
// Sets every option above to its default.
void SetImagingDefaults();
