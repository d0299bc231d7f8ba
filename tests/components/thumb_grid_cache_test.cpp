// The thumbnail caches: the memory ring keeps the last 100 thumbnails, the disk cache keeps
// thumbnail files with an index of their sources across grids, and both tell files apart by
// their exact paths.
#include "components/thumb_disk_cache.h"
#include "components/thumb_grid.h"
#include "imaging/imaging_init.h"
#include "tests/common/file_size_limit.h"
#include "tests/components/thumb_grid_test_support.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace thumb_test;

namespace {

QStringList writeColourFiles(const QTemporaryDir& dir, int n, const QString& pattern = "img%1.jpg") {
    QStringList paths;
    for (int k = 0; k < n; ++k) {
        paths << dir.filePath(pattern.arg(k, 3, 10, QChar('0')));
        WriteSolidJpeg(paths.last(), 16, 12, DistinctColour(k));
    }
    return paths;
}

QStringList indexLines(const QString& folder) {
    QFile file(folder + "/~cche.idx");
    if (!file.open(QIODevice::ReadOnly)) return {};
    QStringList lines = QString::fromUtf8(file.readAll()).split("\r\n");
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    return lines;
}

void setModified(const QString& path, const QDateTime& when) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(when, QFileDevice::FileModificationTime));
}

// A disk cache's folder and a small picture to store in it.
class ThumbDiskCacheTest : public ::testing::Test {
protected:
    void SetUp() override {
        InitImagingLibrary();
        thumb.SetSize(4, 3, PixelFormat24Bit);
    }
    QTemporaryDir cache;
    TPixelGraphic thumb;
};

}  // namespace

TEST(ThumbGridCache, TheHundredAndFirstThumbnailEvictsTheFirst) {
    // The first file is replaced after it was shown: a cached thumbnail still shows the old colour.
    for (const int files : {100, 101}) {
        QTemporaryDir dir;
        const QStringList paths = writeColourFiles(dir, files);
        auto grid = ShownGrid(3, (files + 2) / 3);
        grid->LoadFromSource(paths, true, false);
        ASSERT_TRUE(Near(CentreColour(*grid, 0), DistinctColour(0)));
        WriteSolidJpeg(paths[0], 16, 12, Qt::white);
        grid->viewport()->update();
        const QColor now = CentreColour(*grid, 0);
        if (files == 100) EXPECT_TRUE(Near(now, DistinctColour(0))) << "100 thumbnails all stay in memory";
        else EXPECT_TRUE(Near(now, Qt::white)) << "the 101st evicted the first: " << now.name().toStdString();
    }
}

TEST(ThumbGridCache, CacheFileNames) {
    struct Case {
        QString path, name;
    };
    const Case cases[] = {
        {"abc", "~x96354F610.jpg"},                      // bytes 00 61 62 63 form one word
        {"a", "~x97F24832.jpg"},                         // three zero length bytes in front
        {"", "~x0F0.jpg"},                               // nothing to hash
        {QString(257, 'a'), "~x106557537F57625.jpg"},  // length 257: its bytes 01 00 00 in front
    };
    for (const Case& c : cases) EXPECT_EQ(TThumbDiskCache::CacheFileName(c.path, ".jpg"), c.name) << c.path.size();
    EXPECT_NE(TThumbDiskCache::CacheFileName("/p/a.jpg", ".jpg"), TThumbDiskCache::CacheFileName("/p/A.jpg", ".jpg"));
}

TEST(ThumbGridCache, DiskCacheFilesAndIndexAcrossGrids) {
    // The index is written after 31 additions (not after 30) and always when the grid goes.
    for (const int files : {30, 31}) {
        QTemporaryDir sources, cache;
        const QStringList paths = writeColourFiles(sources, files);
        auto grid = ShownGrid(3, (files + 2) / 3);
        grid->SetDiskCacheDirectory(cache.path());
        grid->LoadFromSource(paths, true, false);
        Painted(*grid);
        for (const QString& path : paths)
            EXPECT_TRUE(QFile::exists(cache.filePath(TThumbDiskCache::CacheFileName(path, ".jpg"))));
        EXPECT_EQ(indexLines(cache.path()).size(), files == 31 ? 31 : 0) << files << " additions";
        grid.reset();
        EXPECT_EQ(indexLines(cache.path()), paths) << "written at destruction, oldest first";

        // A later grid on the same folder takes its thumbnails from the cache files.
        for (const QString& path : paths) QFile::remove(path);
        auto later = ShownGrid(3, (files + 2) / 3);
        later->SetDiskCacheDirectory(cache.path());
        later->LoadFromSource(paths, true, false);
        EXPECT_TRUE(Near(CentreColour(*later, files - 1), DistinctColour(files - 1)));
    }
}

TEST(ThumbGridCache, ASourceNewerThanItsCacheFileIsDecodedAgain) {
    struct Case {
        int secondsAfterCaching;
        QColor shown;
    };
    for (const Case c : {Case{+60, Qt::white}, Case{-60, DistinctColour(0)}}) {
        QTemporaryDir sources, cache;
        const QStringList paths = writeColourFiles(sources, 1);
        {
            auto grid = ShownGrid(3, 1);
            grid->SetDiskCacheDirectory(cache.path());
            grid->LoadFromSource(paths, true, false);
            Painted(*grid);
        }
        const QString cacheFile = cache.filePath(TThumbDiskCache::CacheFileName(paths[0], ".jpg"));
        ASSERT_TRUE(QFile::exists(cacheFile));
        WriteSolidJpeg(paths[0], 16, 12, Qt::white);
        setModified(paths[0], QFileInfo(cacheFile).lastModified().addSecs(c.secondsAfterCaching));
        auto grid = ShownGrid(3, 1);
        grid->SetDiskCacheDirectory(cache.path());
        grid->LoadFromSource(paths, true, false);
        EXPECT_TRUE(Near(CentreColour(*grid, 0), c.shown)) << c.secondsAfterCaching;
    }
}

TEST_F(ThumbDiskCacheTest, TheThreeHundredAndFirstAdditionDeletesTheFirstFile) {
    const uint8_t quality = JpegQuality;
    auto disk = std::make_unique<TThumbDiskCache>();
    disk->SetDirectory(cache.path());
    const auto cacheFile = [&](int k) {
        return cache.filePath(TThumbDiskCache::CacheFileName(QStringLiteral("/photos/%1.jpg").arg(k), ".jpg"));
    };
    for (int k = 0; k < 300; ++k) disk->Add(QStringLiteral("/photos/%1.jpg").arg(k), thumb);
    EXPECT_TRUE(QFile::exists(cacheFile(0)));
    disk->Add("/photos/300.jpg", thumb);
    EXPECT_FALSE(QFile::exists(cacheFile(0)));
    EXPECT_TRUE(QFile::exists(cacheFile(1)));
    EXPECT_EQ(disk->Index().size(), 300);
    EXPECT_EQ(disk->Index().first(), "/photos/1.jpg");
    EXPECT_EQ(JpegQuality, quality) << "the cache's own quality does not stay set for the user's saves";

    // Using an entry makes it the most recent; the index is read back by a new cache.
    TPixelGraphic read;
    EXPECT_TRUE(disk->Load("/photos/1.jpg", read)) << "a cached file without its source is still used";
    EXPECT_EQ(read.GetWidth(), 4);
    disk.reset();
    TThumbDiskCache again;
    again.SetDirectory(cache.path() + "/");
    EXPECT_EQ(again.Index().size(), 300);
    EXPECT_EQ(again.Index().last(), "/photos/1.jpg");
}

TEST_F(ThumbDiskCacheTest, PathsAreKeptApartAndLineBreaksAreNotCached) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache.path());
    disk.Add("/p/a.jpg", thumb);
    disk.Add("/p/A.jpg", thumb);
    disk.Add("/p/two\nlines.jpg", thumb);
    disk.Add("/p/a.jpg", thumb);  // made again: one entry, now the most recent
    EXPECT_EQ(disk.Index(), (QStringList{"/p/A.jpg", "/p/a.jpg"}));
    EXPECT_EQ(QDir(cache.path()).entryList({"~x*"}, QDir::Files).size(), 2);

    try {
        disk.SetDirectory(cache.filePath("missing"));
        FAIL() << "a missing folder is refused";
    } catch (const std::runtime_error& e) {
        EXPECT_STREQ(e.what(), "Directory does no exist!");
    }
    EXPECT_EQ(disk.Directory(), cache.path() + "/");

    // The same folder spelled otherwise keeps the index in memory; another folder loads its own.
    QTemporaryDir other;
    for (const QString& folder : {other.path(), cache.path()}) {  // this folder's index replaced on disk
        QSaveFile index(folder + "/~cche.idx");
        ASSERT_TRUE(index.open(QIODevice::WriteOnly));
        index.write("/q/one.jpg\r\n/q/two.jpg\r\n");
        ASSERT_TRUE(index.commit());
    }
    disk.SetDirectory(cache.path() + "/./");
    EXPECT_EQ(disk.Index(), (QStringList{"/p/A.jpg", "/p/a.jpg"}));
    disk.SetDirectory(other.path());
    EXPECT_EQ(disk.Index(), (QStringList{"/q/one.jpg", "/q/two.jpg"}));
}

TEST(ThumbGridCache, ABoxWithoutPixelsPaintsNoPicture) {
    QTemporaryDir dir;
    const QStringList paths = writeColourFiles(dir, 2);
    auto grid = ShownGrid(3, 1);
    const QColor background = CentreColour(*grid, 0);
    grid->SetThumbnailWidth(0);
    grid->LoadFromSource(paths, true, false);
    EXPECT_EQ(CentreColour(*grid, 1), background);
    grid->SetThumbnailWidth(90);
    grid->SetThumbnailHeight(0);
    EXPECT_EQ(CentreColour(*grid, 1), background);
}

// On a full disk the cache keeps what it had: neither a thumbnail file nor the index is replaced,
// and a thumbnail that was not stored is not listed.
TEST_F(ThumbDiskCacheTest, AFullDiskLeavesTheCachedFilesAndTheIndexWhole) {
    TThumbDiskCache disk;
    disk.SetDirectory(cache.path());
    disk.Add("/p/old.jpg", thumb);
    const auto write = [&](const QString& name, const QByteArray& bytes) {
        QFile file(cache.filePath(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size());
    };
    // Files that differ from what the cache would write now, so that a write would show.
    write(TThumbDiskCache::IndexFileName, "/p/old.jpg\r\n/p/gone.jpg\r\n");
    write(TThumbDiskCache::CacheFileName("/p/new.jpg", ".jpg"), "an older thumbnail of new.jpg");
    const auto files = [&] {
        QStringList all;
        for (const QFileInfo& info : QDir(cache.path()).entryInfoList(QDir::Files | QDir::Hidden, QDir::Name)) {
            QFile file(info.filePath());
            all << info.fileName() + "=" + (file.open(QIODevice::ReadOnly) ? file.readAll().toHex() : "?");
        }
        return all;
    };
    const QStringList before = files();
    for (const bool index : {false, true}) {
        const QStringList listed = testing_support::runWithFileSizeLimit(8, [&] {
            index ? disk.WriteIndex() : disk.Add("/p/new.jpg", thumb);
            return disk.Index();
        });
        EXPECT_EQ(listed, QStringList{"/p/old.jpg"}) << index;
        EXPECT_EQ(files(), before) << index;
    }
}
