#include "components/thumb_disk_cache.h"

#include "imaging/format_registry.h"
#include "imaging/imaging_init.h"
#include "imaging/pixel_graphic.h"
#include "platform/file_ops.h"
#include "platform/file_replacement.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <stdexcept>

namespace {

// A: the string hash h := h * 31 + c over the bytes, kept to its low 27 bits.
uint32_t nameHash(const QByteArray& bytes) {
    if (bytes.isEmpty()) return 0;
    uint32_t h = uint8_t(bytes[0]);
    for (qsizetype i = 1; i < bytes.size(); ++i) h = h * 31u + uint8_t(bytes[i]);
    return h & 0x7FFFFFFu;
}

// B: the bytes, front-padded to whole words with the top bytes of their length (little-endian),
// summed as little-endian words; the sum's halves exclusive-ored.
uint32_t nameChecksum(const QByteArray& bytes) {
    const uint32_t length = uint32_t(bytes.size());
    const int pad = int((4 - length % 4) % 4);
    QByteArray data;
    for (int k = 4 - pad; k < 4; ++k) data.append(char((length >> (8 * k)) & 0xFF));
    data.append(bytes);
    uint32_t sum = 0;
    for (qsizetype i = 0; i + 3 < data.size(); i += 4)
        sum += uint32_t(uint8_t(data[i])) | uint32_t(uint8_t(data[i + 1])) << 8 | uint32_t(uint8_t(data[i + 2])) << 16 |
               uint32_t(uint8_t(data[i + 3])) << 24;
    return (sum >> 16) ^ (sum & 0xFFFFu);
}

bool holdsLineBreak(const QString& Path) { return Path.contains(QLatin1Char('\n')) || Path.contains(QLatin1Char('\r')); }

}  // namespace

TThumbDiskCache::~TThumbDiskCache() { WriteIndex(); }

QString TThumbDiskCache::CacheFileName(const QString& Path, const QString& SaveFormat) {
    const QByteArray bytes = QFile::encodeName(Path);
    return QStringLiteral("~x%1F%2").arg(nameHash(bytes)).arg(nameChecksum(bytes)) + SaveFormat;
}

void TThumbDiskCache::SetDirectory(const QString& Folder) {
    const QFileInfo info(Folder);
    if (Folder.isEmpty() || !info.isDir()) throw std::runtime_error("Directory does no exist!");
    QString folder = Folder;
    if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    // The same folder however it is spelled keeps its index as it is.
    if (!directory_.isEmpty() && QFileInfo(directory_).canonicalFilePath() == info.canonicalFilePath()) return;
    directory_ = folder;
    LoadIndex();
}

void TThumbDiskCache::LoadIndex() {
    QFile file(directory_ + QLatin1String(IndexFileName));
    if (!file.exists()) return;
    if (!file.open(QIODevice::ReadOnly)) {
        index_.clear();
        return;
    }
    QStringList lines = QString::fromUtf8(file.readAll()).split(QStringLiteral("\r\n"));
    if (!lines.isEmpty() && lines.last().isEmpty()) lines.removeLast();
    index_ = lines;
}

void TThumbDiskCache::WriteIndex() {
    additions_ = 0;
    if (directory_.isEmpty()) return;
    const QString name = directory_ + QLatin1String(IndexFileName);
    if (index_.isEmpty()) {
        QFile::remove(name);
        return;
    }
    QByteArray lines;
    for (const QString& path : index_) lines += path.toUtf8() + "\r\n";
    // An index that cannot be written keeps the last one written: the cache is simply not kept.
    platform::writeFileAtomically(name, lines);
}

bool TThumbDiskCache::Load(const QString& Path, TPixelGraphic& Graphic) {
    if (!Enabled()) return false;
    const qsizetype at = index_.indexOf(Path);
    if (at < 0) return false;
    const QFileInfo cached(cacheFilePath(Path));
    // An image edited after its thumbnail was cached is decoded again.
    if (!cached.exists() || cached.lastModified() < QFileInfo(Path).lastModified()) return false;
    try {
        Graphic.SetWarningMode(3);
        Graphic.LoadFromFile(cached.filePath());
    } catch (const std::exception&) {
        return false;  // any failure is a miss: the source is decoded instead
    }
    index_.move(at, index_.size() - 1);
    return true;
}

void TThumbDiskCache::Add(const QString& Path, TPixelGraphic& Thumb) {
    if (!Enabled() || Path.isEmpty() || holdsLineBreak(Path)) return;
    const uint8_t quality = JpegQuality;
    try {
        if (SaveFormat.toUpper() == QLatin1String(".JPG")) JpegQuality = 90;
        Thumb.SetColorResolutionMode(0);  // silent colour conversion
        QBuffer encoded;
        encoded.open(QIODevice::WriteOnly);
        Thumb.SaveToStreamExt(encoded, GetFileExtension(SaveFormat));
        // A cache file is made again whenever it cannot be read, so it does not wait for the disk
        // (a grid fills the cache while the user scrolls); every write is still checked.
        platform::FileReplacement file(cacheFilePath(Path), platform::FileReplacement::Sync::Deferred);
        if (!file.open() || !file.write(encoded.data()) || !file.commit()) throw std::runtime_error("cache file");
    } catch (const std::exception&) {
        JpegQuality = quality;
        return;  // a thumbnail that cannot be cached is made again next time
    }
    JpegQuality = quality;  // the cache's quality must not leak into the user's own saves
    addToIndex(Path);
}

void TThumbDiskCache::addToIndex(const QString& Path) {
    // A path made again (its cache file was stale) keeps one entry, so evicting an older
    // duplicate never deletes the file the newer entry uses.
    index_.removeAll(Path);
    index_.append(Path);
    if (index_.size() > MaxCount) {
        QFile::remove(cacheFilePath(index_.first()));
        index_.removeFirst();
    }
    if (++additions_ > 30) WriteIndex();
}
