#pragma once
// A file written whole or not at all. The bytes go to a temporary file beside the target; every
// write, the sync and the close are checked, and only then is the temporary renamed over the
// target. Until that rename the target keeps every byte it had; a replacement that fails or is
// dropped removes its temporary.
#include <QByteArray>
#include <QString>

#include <optional>
#include <sys/types.h>

namespace platform {

// True for the name (no directory) of a temporary file that a FileReplacement makes beside its
// target: ".~", twelve hex digits, then the target's extension. One found on its own was left by
// a program that ended before its rename.
bool isReplacementTemporaryName(const QString& fileName);

class FileReplacement {
public:
    enum class Sync {
        Now,       // the data reaches the disk before the rename
        Deferred,  // the caller makes many files durable with one file-system sync of its own
    };

    // mode: the permissions of the new file; none keeps the target's, or gives a new file the
    // usual 0666 less the umask.
    explicit FileReplacement(const QString& target, Sync sync = Sync::Now, std::optional<mode_t> mode = {});
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    // Creates the temporary file; false when it cannot be made.
    bool open();
    // Writes all of data (short writes and interrupted calls are carried on); false on a failure,
    // after which the replacement stays failed.
    bool write(const char* data, qint64 size);
    bool write(const QByteArray& data) { return write(data.constData(), data.size()); }
    // Syncs (unless deferred) and closes the temporary file, leaving it in place for the caller to
    // rename later (takeTemporary). False on any failure so far.
    bool close();
    // close(), then the rename over the target (with replaceExisting false an existing target
    // makes it fail), then the directory entry is synced. False and the temporary removed on any
    // failure.
    bool commit(bool replaceExisting = true);
    // The closed temporary file, which the caller now owns.
    QString takeTemporary();

private:
    bool fail();
    void discard();

    QString target_;
    QString temporary_;
    Sync sync_;
    std::optional<mode_t> mode_;
    int fd_ = -1;
    int error_ = 0;  // errno of the first failure
    bool closed_ = false;
};

}  // namespace platform
