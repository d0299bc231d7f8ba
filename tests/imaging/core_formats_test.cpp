// After start-up the registry holds every built-in reader and writer once, and those of the
// later modules (GIF bridge, registry GIF reader, icon reader) behind them.
#include "tests/imaging/imaging_test_support.h"

#include <gtest/gtest.h>

#include <map>

namespace {

struct Registered {
    const char* Extension;
    const char* ClassName;
};

// 14 core readers, then the later modules' readers.
const Registered ExpectedReaders[] = {
    {"bmp", "TBMPFileFormatReader"},  {"dib", "TDIBFileFormatReader"},   {"rle", "TRLEFileFormatReader"},
    {"jpg", "TJPGFileFormatReader"},  {"jpeg", "TJPEGFileFormatReader"}, {"jif", "TJIFFileFormatReader"},
    {"png", "TPNGFileFormatReader"},  {"pcx", "TPCXFileFormatReader"},   {"pbm", "TPBMFileFormatReader"},
    {"pgm", "TPGMFileFormatReader"},  {"ppm", "TPPMFileFormatReader"},   {"tga", "TTGAFileFormatReader"},
    {"tif", "TTIFFileFormatReader"},  {"tiff", "TTIFFFileFormatReader"},
    {"wmf", "tWMFFileFormatReader"},  {"emf", "tEMFFileFormatReader"},
    {"gif", "TGIFFileFormatReader"},  {"gif", "tGifFileFormatReader"},   {"ico", "tIcoFileFormatReader"},
};

// 12 core writers, then the GIF writer.
const Registered ExpectedWriters[] = {
    {"bmp", "TBMPFileFormatWriter"}, {"dib", "TDIBFileFormatWriter"},   {"jpg", "TJPGFileFormatWriter"},
    {"jpeg", "TJPEGFileFormatWriter"}, {"jif", "TJIFFileFormatWriter"}, {"png", "TPNGFileFormatWriter"},
    {"pbm", "TPBMFileFormatWriter"}, {"pgm", "TPGMFileFormatWriter"},   {"ppm", "TPPMFileFormatWriter"},
    {"tga", "TTGAFileFormatWriter"}, {"tif", "TTIFFileFormatWriter"},   {"tiff", "TTIFFFileFormatWriter"},
    {"gif", "TGIFFileFormatWriter"},
};

template <typename List, size_t N>
void expectRegistered(const List& list, const Registered (&expected)[N]) {
    std::multimap<QString, QString> present;
    for (const auto& entry : list) present.emplace(entry->Extension, entry->ClassName());
    for (const Registered& e : expected) {
        SCOPED_TRACE(e.ClassName);
        const auto [first, last] = present.equal_range(QString::fromLatin1(e.Extension));
        int found = 0;
        for (auto it = first; it != last; ++it) found += it->second == QLatin1String(e.ClassName);
        EXPECT_EQ(found, 1) << e.Extension;
    }
    EXPECT_EQ(list.size(), N);
}

}  // namespace

TEST(CoreFormats, StartUpRegistersEveryReaderAndWriterOnce) {
    imaging_test::initLibrary();
    expectRegistered(FileFormatReaders, ExpectedReaders);
    expectRegistered(FileFormatWriters, ExpectedWriters);
    // The bridge's GIF reader answers the probe before the registry GIF reader.
    SortFormatLists();
    QStringList gifReaders;
    for (const auto& r : FileFormatReaders)
        if (r->Extension == "gif") gifReaders << r->ClassName();
    EXPECT_EQ(gifReaders, (QStringList{"TGIFFileFormatReader", "tGifFileFormatReader"}));
    ASSERT_TRUE(DefaultBMPReader && DefaultBMPWriter);
    EXPECT_EQ(DefaultBMPWriter->Extension, "bmp");
    EXPECT_EQ(PreviewInfoFont.FaceName, "MS Sans Serif");
    EXPECT_EQ(PreviewInfoFont.Height, 8);
}
