#pragma once
// The registry of file formats: every format is a reader object and, where it can be written, a
// writer object, kept in the global lists FileFormatReaders and FileFormatWriters. Loading probes
// the first 17 bytes of the data before it falls back to the file name's extension; saving picks
// the writer by extension and converts the colour resolution when the writer cannot store it.
#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QIODevice;
class TPixelGraphic;

// Colour-resolution classes 0..7.
enum ColorResolutionClass : uint8_t {
    ResolutionBlackWhite = 0,      // 1 bit, pBlackWhite
    Resolution2Colors = 1,         // 1 bit, other palette
    Resolution16Grays = 2,         // 4 bits, pGray16
    Resolution16SystemColors = 3,  // 4 bits, pSys16
    Resolution16Colors = 4,        // 4 bits, other palette
    Resolution256Grays = 5,        // 8 bits, pGray256
    Resolution256Colors = 6,       // 8 bits, other palette
    ResolutionTrueColor = 7        // 24 bits
};
using ColorResolutionSet = uint8_t;  // bit k set: class k can be written
constexpr ColorResolutionSet ResolutionBit(int cls) { return ColorResolutionSet(1u << cls); }
constexpr ColorResolutionSet AllColorResolutions = 0xFF;

// For each class, the order in which target classes are tried when saving.
extern const uint8_t ResolutionFallback[8][8];
// The class of a graphic (its palette kind must be detected already).
int ColorResolutionOf(const TPixelGraphic& Graphic);
// The text of a class ("black and white" .. "16.7 million colors").
QString ColorResolutionText(int cls);

class TFileFormatReaderWriter {
public:
    virtual ~TFileFormatReaderWriter() = default;
    bool ShowInFilter = true;
    QString Extension;    // without the dot, e.g. "bmp"
    QString Description;  // e.g. "JPEG (JFIF compliant)"
    // Class name used in messages (e.g. "TJPGFileFormatWriter").
    virtual QString ClassName() const { return QStringLiteral("TFileFormatReaderWriter"); }
};

struct TPGGraphicInfo {
    int ImageCount = 1;
    int BitCount = 0;
    QString ColorsText;
    int Height = 0;
    int Width = 0;
    QString Details;
    QString SubFormat;
};

class TFileFormatReader : public TFileFormatReaderWriter {
public:
    constexpr static int ProbeSize = 17;
    bool HasSignature = false;
    // Header holds the first 17 bytes of the data (zero-filled past a short stream's end).
    virtual bool IsFormat(const uint8_t* Header) const;
    // Reads image ImageIndex (0 = first) from the stream's position into the graphic.
    virtual void Read(QIODevice& Stream, TPixelGraphic& Graphic, int ImageIndex);
    // Describes image ImageIndex without reading its pixels. Base: count 1, the rest cleared.
    virtual void GetInfo(QIODevice& Stream, int ImageIndex, TPGGraphicInfo& Info);
};

class TFileFormatWriter : public TFileFormatReaderWriter {
public:
    uint8_t Flags = 0;
    ColorResolutionSet CanWriteResolutions = 0;
    virtual void Write(QIODevice& Stream, TPixelGraphic& Graphic);
    virtual void WriteHeader(QIODevice& Stream, TPixelGraphic& Graphic);
    virtual void WriteImage(QIODevice& Stream, TPixelGraphic& Graphic);
    virtual void WriteTrailer(QIODevice& Stream, TPixelGraphic& Graphic);
};

using TFileFormatReaderList = std::vector<std::unique_ptr<TFileFormatReader>>;
using TFileFormatWriterList = std::vector<std::unique_ptr<TFileFormatWriter>>;

// Filled by InitImagingLibrary (imaging_init.h) and by the format modules' registration functions.
extern TFileFormatReaderList FileFormatReaders;
extern TFileFormatWriterList FileFormatWriters;
// Kept apart from the lists for SaveToStream and form streaming; null until a BMP module sets them.
extern std::unique_ptr<TFileFormatReader> DefaultBMPReader;
extern std::unique_ptr<TFileFormatWriter> DefaultBMPWriter;

void RegisterFileFormatReader(std::unique_ptr<TFileFormatReader> Reader);
void RegisterFileFormatWriter(std::unique_ptr<TFileFormatWriter> Writer);

// Sorts both lists by lower-case extension, only when they are out of order (stable).
void SortFormatLists();
// Lower-case extension of a file name without the dot ("" when there is none).
QString GetFileExtension(const QString& FileName);
// The reader for the data at the stream's position (probe first, then extension); nullptr when
// none fits. Never raises; the stream position is left unchanged.
TFileFormatReader* FindFileFormatReader(QIODevice& Stream, const QString& Extension);
// The first writer for the extension, nullptr when none.
TFileFormatWriter* FindFileFormatWriter(const QString& Extension);

// File information without loading pixels; false when no reader fits or anything fails.
bool GetGraphicFileInfo(const QString& FileName, int ImageIndex, QString& Description, TPGGraphicInfo& Info);
bool GetStreamGraphicInfo(QIODevice& Stream, const QString& Extension, int ImageIndex, QString& Description,
                          TPGGraphicInfo& Info);
