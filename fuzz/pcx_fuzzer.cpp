// Fuzz target for the Paintbrush reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/pcx_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPCXFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
