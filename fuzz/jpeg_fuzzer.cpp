// Fuzz target for the JPEG reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/jpeg_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TJPGFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
