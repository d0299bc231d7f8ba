// Fuzz target for the PBM, PGM and PPM reader.
#include "fuzz/format_reader_fuzz.h"
#include "imaging/formats/pnm_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPPMFileFormatReader reader;
    FuzzFormatReader(reader, data, size);
    return 0;
}
