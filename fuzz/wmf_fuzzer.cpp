// Fuzz target for the WMF reader: header checks, the record player and the bitmaps it decodes.
#include "fuzz/format_fuzzer.h"
#include "fuzz/wmf_fuzz_support.h"
#include "imaging/formats/metafile_format.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzzing::ensureGuiApplication();
    tWMFFileFormatReader reader;
    fuzzing::fuzzReader(reader, data, size);
    return 0;
}
