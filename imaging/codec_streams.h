#pragma once
// Stream and run-time services for the codec libraries: libjpeg reads from and writes to the
// library's streams (QIODevice) through source and destination managers of its own interface,
// starting at the stream's current position; fatal codec errors come back to the caller through
// a jump buffer (the codec never ends the process); structure checks run at start-up.
#include <QString>

#include <csetjmp>
#include <cstddef>
#include <cstdio>

#include <jpeglib.h>
#include <jerror.h>

class QIODevice;

// Error manager of one codec call. error_exit formats the codec's text into Text and jumps back
// to Jump; output_message handles warnings by WarningMode (0 ignore, 1 box, 2 box with Cancel,
// 3 raise).
struct TPGJpegErrorManager {
    jpeg_error_mgr Pub;
    std::jmp_buf Jump;
    char Text[JMSG_LENGTH_MAX + 64];
    int WarningMode = 3;
    int MessageCode = 0;  // libjpeg message code of the fatal error, 0 for a user cancel
};

// Installs the hooks and returns the error manager's public part for cinfo->err.
jpeg_error_mgr* PGJpegStdError(TPGJpegErrorManager& Manager, int WarningMode);

// Codec-side limits that keep hostile files from running away: the memory the codec may allocate
// for itself and the number of scans a progressive file may have. 512 MB hold the whole-image
// coefficients of a progressive photograph of 89 megapixels in full colour resolution (178 at
// half), whatever scale it is decoded at.
constexpr long PGJpegMaxCodecMemory = 1L << 29;
constexpr int PGJpegMaxScans = 1000;
void PGJpegInstallLimits(j_decompress_ptr cinfo, jpeg_progress_mgr& Progress);

// Data source reading from the stream; Buffer must outlive the decompression.
struct TPGJpegSource {
    jpeg_source_mgr Pub;
    QIODevice* Stream = nullptr;
    bool StartOfFile = true;
    JOCTET Buffer[65536];
};
void PGJpegStreamSource(j_decompress_ptr cinfo, TPGJpegSource& Source, QIODevice& Stream);

// Data destination writing to the stream.
struct TPGJpegDestination {
    jpeg_destination_mgr Pub;
    QIODevice* Stream = nullptr;
    JOCTET Buffer[65536];
};
void PGJpegStreamDestination(j_compress_ptr cinfo, TPGJpegDestination& Destination, QIODevice& Stream);

// Structure sizes as this library was built against the codec headers.
std::size_t PGSizeOfJpegErrorMgr();
std::size_t PGSizeOfJpegDecompressStruct();
std::size_t PGSizeOfJpegCompressStruct();
std::size_t PGSizeOfJpegCommonStruct();

// Start-up check: the linked codec libraries accept the structures and version this library was
// built for; raises EPixelGraphic naming the first structure whose sizes differ.
void CheckCodecStructures();

// Text to number as the codecs expect it: raises on text that is not a number ("Error in _atof!").
double PGAtof(const char* Text);
