// Fuzz target for the PNG reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/png_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPNGFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
