// The site-gallery program registers the imaging library's formats at start-up; so do its tests.
#include "imaging/imaging_init.h"

#include <gtest/gtest.h>

namespace {
class ImagingEnvironment : public ::testing::Environment {
public:
    void SetUp() override { InitImagingLibrary(); }
    void TearDown() override { FinalizeImagingLibrary(); }
};
[[maybe_unused]] ::testing::Environment* const environment =
    ::testing::AddGlobalTestEnvironment(new ImagingEnvironment);
}  // namespace
