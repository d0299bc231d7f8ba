// Fuzz target for the PBM, PGM and PPM reader.
#include "fuzz/format_fuzzer.h"
#include "imaging/formats/pnm_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPPMFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
