#pragma once
// The generated metafile samples (tests/imaging/format_samples/wmf.py and emf.py), by file name.
#include "tests/imaging/sample_files_support.h"

inline QString metafileSample(const QString& name) {
    return sample_files::samplesOf(name.endsWith(".emf") ? "emf" : "wmf") + name;
}
