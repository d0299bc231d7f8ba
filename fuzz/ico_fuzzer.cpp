// Fuzz target for the icon reader, in both output modes.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/ico_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    tIcoFileFormatReader reader;
    IconReaderMode = size % 2 == 0 ? 1 : 0;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
