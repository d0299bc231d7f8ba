#pragma once
// The image file directory of a TIFF file as the reader needs it: the byte order, the chain of
// directories, and the values of the tags the reader uses. Every value is read through the
// checked input; tag arrays are only allocated when the stream can hold them.
#include "imaging/formats/stream_byte_reader.h"

#include <QString>

#include <cstdint>
#include <vector>

struct TTiffEntry {
    uint16_t Tag = 0;
    uint16_t Type = 0;
    uint32_t Count = 0;
    uint8_t Value[4] = {};  // the value field as stored (a value, or an offset)
};

struct TTiffDirectory {
    bool BigEndian = false;
    int64_t FileStart = 0;
    int ImageCount = 1;
    std::vector<TTiffEntry> Entries;

    // Tags the reader uses; absent single values read as 0.
    uint32_t NewSubfileType = 0;
    uint32_t ImageWidth = 0;
    uint32_t ImageLength = 0;
    uint32_t Compression = 0;
    uint32_t Photometric = 0;
    uint32_t SamplesPerPixel = 0;
    uint32_t RowsPerStrip = 0;
    uint32_t PlanarConfiguration = 0;
    std::vector<uint32_t> BitsPerSample;
    std::vector<uint32_t> StripOffsets;
    std::vector<uint32_t> ColorMap;
};

// TIFF tag numbers the reader and the writer use.
namespace tiff_tag {
constexpr uint16_t NewSubfileType = 254, ImageWidth = 256, ImageLength = 257, BitsPerSample = 258,
                   Compression = 259, Photometric = 262, StripOffsets = 273, SamplesPerPixel = 277,
                   RowsPerStrip = 278, StripByteCounts = 279, XResolution = 282, YResolution = 283,
                   PlanarConfiguration = 284, ResolutionUnit = 296, ColorMap = 320;
}
namespace tiff_type {
constexpr uint16_t Byte = 1, Short = 3, Long = 4, Rational = 5;
}

// Reads the header and the directory of image ImageIndex from the stream's position (the file
// start), and the image count. Raises EPGTIFFileFormatReader with the messages of the format:
// "Not a TIF file", the index, "Unsupported field Type", an unexpected end of the data.
TTiffDirectory ReadTiffDirectory(QIODevice& Stream, int ImageIndex);

// The sample layout checks shared by reading and file information (PlanarConfiguration,
// SamplesPerPixel, BitsPerSample count, the accepted layouts, RowsPerStrip).
void CheckTiffLayout(const TTiffDirectory& Directory);

// "TIFF: " + Text as the reader's error.
[[noreturn]] void RaiseTiff(const QString& Text);
