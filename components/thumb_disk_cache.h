#pragma once
// The grid's optional disk cache: thumbnails saved as "~x<A>F<B>.jpg" files in a cache folder,
// with "~cche.idx" listing the source paths oldest first (least recently used at the front).
// Paths are compared exactly. A cache file older than its source is ignored, and paths holding a
// line break are never cached (the index keeps one path a line).
#include <QString>
#include <QStringList>

class TPixelGraphic;

class TThumbDiskCache {
public:
    ~TThumbDiskCache();  // writes the index

    static constexpr const char* IndexFileName = "~cche.idx";
    // "~x<A>F<B>" + SaveFormat for a source path.
    static QString CacheFileName(const QString& Path, const QString& SaveFormat);

    int MaxCount = 300;
    QString SaveFormat = QStringLiteral(".jpg");

    // The cache folder with a trailing "/", empty when off.
    QString Directory() const { return directory_; }
    // Throws std::runtime_error("Directory does no exist!") for a folder that does not exist;
    // another folder than the present one loads its index.
    void SetDirectory(const QString& Folder);
    bool Enabled() const { return !directory_.isEmpty() && MaxCount > 0; }
    const QStringList& Index() const { return index_; }

    // Reads the cached thumbnail of Path into Graphic and makes it the most recent entry; false on
    // any failure (not listed, stale, unreadable).
    bool Load(const QString& Path, TPixelGraphic& Graphic);
    // Saves a thumbnail made from Path; failures are ignored.
    void Add(const QString& Path, TPixelGraphic& Thumb);
    void LoadIndex();
    void WriteIndex();

private:
    QString cacheFilePath(const QString& Path) const { return directory_ + CacheFileName(Path, SaveFormat); }
    void addToIndex(const QString& Path);

    QString directory_;
    QStringList index_;
    uint8_t additions_ = 0;
};
