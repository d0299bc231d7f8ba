// Fuzz target for the Paintbrush reader.
#include "fuzz/format_reader_fuzz.h"
#include "imaging/formats/pcx_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TPCXFileFormatReader reader;
    FuzzFormatReader(reader, data, size);
    return 0;
}
