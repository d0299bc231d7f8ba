// Fuzz target for the TIFF reader, with the directory chain walked as well.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/tiff_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTIFFileFormatReader reader;
    TiffCountImages = size % 2 == 0;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
