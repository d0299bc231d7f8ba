// Fuzz target for the Targa reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/tga_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTGAFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
