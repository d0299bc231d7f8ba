// Fuzz target for the BMP/DIB/RLE reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/bmp_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TBMPFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
