// Fuzz target for the Targa reader.
#include "fuzz/format_reader_fuzz.h"
#include "imaging/formats/tga_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TTGAFileFormatReader reader;
    FuzzFormatReader(reader, data, size);
    return 0;
}
