// Fuzz target for the TIFF reader, with the directory chain walked as well.
#include "fuzz/format_reader_fuzz.h"
#include "imaging/formats/tiff_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTIFFileFormatReader reader;
    TiffCountImages = size % 2 == 0;
    FuzzFormatReader(reader, data, size);
    return 0;
}
