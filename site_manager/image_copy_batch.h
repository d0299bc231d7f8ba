#pragma once
// The copies of the user's images made by one drop or one choice of files. Each copy is written
// whole under a temporary name beside its destination without waiting for the disk; finish()
// makes them all durable with one sync and only then renames each over its destination, so a
// destination is never replaced by a file that is not whole on disk, and a drop of many files
// waits for the disk once instead of once a file.
#include <QString>
#include <QStringList>
#include <vector>

class ImageCopyBatch {
public:
    ImageCopyBatch() = default;
    ~ImageCopyBatch();  // temporary files that were never placed are removed
    ImageCopyBatch(const ImageCopyBatch&) = delete;
    ImageCopyBatch& operator=(const ImageCopyBatch&) = delete;

    // Copies source to a temporary file for destination. False when it cannot be copied.
    bool copy(const QString& source, const QString& destination);
    // Writes data (a converted image) to a temporary file for destination. False when it cannot.
    bool write(const QByteArray& data, const QString& destination);
    // True when a copy for destination waits to be placed.
    bool holds(const QString& destination) const;

    // One sync, then every copy goes to its destination. The destinations that could not be
    // placed are returned.
    QStringList finish();

private:
    struct Pending {
        QString temporary;
        QString destination;
    };
    void add(const QString& temporary, const QString& destination);
    std::vector<Pending> pending_;
};
