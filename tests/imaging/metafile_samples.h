#pragma once
// The generated metafile samples (tests/imaging/format_samples/wmf.py and emf.py), by file name.
#include "tests/imaging/format_samples_support.h"

inline QString metafileSample(const QString& name) {
    return format_samples::samplesOf(name.endsWith(".emf") ? "emf" : "wmf") + name;
}
