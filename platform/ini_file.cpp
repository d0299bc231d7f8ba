#include "platform/ini_file.h"

#include "platform/file_ops.h"
#include "platform/ini_document.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <functional>
#include <list>
#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <time.h>
#include <unistd.h>

namespace platform {

namespace {

// What tells one version of a file from another without reading it. Every write of this layer
// replaces the file by rename, so a new inode alone marks most changes.
struct Stamp {
    bool exists = false;
    dev_t device = 0;
    ino_t inode = 0;
    off_t size = 0;
    qint64 modifiedNs = 0;
    bool operator==(const Stamp&) const = default;
};

Stamp stampOf(const struct stat& st) {
    return Stamp{true, st.st_dev, st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec};
}

Stamp stampOf(const QString& path) {
    struct stat st {};
    if (::stat(QFile::encodeName(path).constData(), &st) != 0) return Stamp{};
    return stampOf(st);
}

// File times come from a coarse clock: a file rewritten in place within the same tick and to the
// same size keeps its stamp. A parse is therefore trusted only once the file's time lies clearly
// before the moment its stamp was taken; until then every use reads the file again. A time of
// whole seconds comes from a file system that keeps no finer times (some keep two seconds).
constexpr qint64 kClockTickNs = 20'000'000;
constexpr qint64 kWholeSecondsTickNs = 2'000'000'000;

qint64 clockTickOf(qint64 modifiedNs) {
    return modifiedNs % 1'000'000'000 == 0 ? kWholeSecondsTickNs : kClockTickNs;
}

qint64 coarseNowNs() {
    timespec ts {};
    clock_gettime(CLOCK_REALTIME_COARSE, &ts);
    return qint64(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

struct Loaded {
    Stamp stamp;
    std::shared_ptr<const IniDocument> document;
    qint64 stampedAtNs = 0;
    // Written by this process: the file is a new inode that only an in-place rewrite by another
    // program, within one clock tick and to the same size, could change unseen.
    bool written = false;
    bool trusted() const { return written || stamp.modifiedNs + clockTickOf(stamp.modifiedNs) < stampedAtNs; }
};

// The parsed files of the process, the most recently used first; each is checked against the
// disk on every use.
class DocumentCache {
public:
    Loaded load(const QString& path) {
        QMutexLocker lock(&mutex_);
        const Stamp now = stampOf(path);
        auto found = entries_.find(path);
        if (found != entries_.end() && found->stamp == now && (!now.exists || found->trusted())) {
            touch(path);
            return *found;
        }
        Loaded loaded = read(path);
        insert(path, loaded);
        return loaded;
    }

    void remember(const QString& path, const Loaded& loaded) {
        QMutexLocker lock(&mutex_);
        insert(path, loaded);
    }

private:
    static constexpr size_t kKept = 64;

    void insert(const QString& path, const Loaded& loaded) {
        entries_.insert(path, loaded);
        touch(path);
        while (order_.size() > kKept) {
            entries_.remove(order_.back());
            order_.pop_back();
        }
    }

    // The stamp is taken from the open file before reading, so a change made while reading
    // shows as a change at the next use rather than being missed.
    static Loaded read(const QString& path) {
        const qint64 stampedAt = coarseNowNs();
        QFile file(path);
        if (!file.open(QIODevice::ReadOnly))
            return Loaded{Stamp{}, std::make_shared<IniDocument>(IniDocument::parse({})), stampedAt};
        struct stat st {};
        const Stamp stamp = ::fstat(file.handle(), &st) == 0 ? stampOf(st) : Stamp{};
        return Loaded{stamp, std::make_shared<IniDocument>(IniDocument::parse(file.readAll())), stampedAt};
    }

    void touch(const QString& path) {
        order_.remove(path);
        order_.push_front(path);
    }

    QMutex mutex_;
    QHash<QString, Loaded> entries_;
    std::list<QString> order_;
};

DocumentCache& cache() {
    static DocumentCache instance;
    return instance;
}

// Writers of one file take turns, in this process and across programs (Lumenfold and Spindleway
// both write site files): each reads the file as it is and replaces it while holding the lock of
// the file's directory, so no write is made on a version that another writer has just replaced.
class WriterLock {
public:
    explicit WriterLock(const QString& path)
        : fd_(::open(QFile::encodeName(QFileInfo(path).absolutePath()).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)) {
        if (fd_ >= 0)
            while (::flock(fd_, LOCK_EX) != 0 && errno == EINTR) {
            }
    }
    ~WriterLock() {
        if (fd_ >= 0) ::close(fd_);
    }
    WriterLock(const WriterLock&) = delete;
    WriterLock& operator=(const WriterLock&) = delete;

private:
    int fd_;
};

// Writes a document as the whole file and keeps it as the file's parsed form. A read-only file
// is refused as the profile API refuses it, whoever runs the program.
void store(const QString& path, const std::shared_ptr<const IniDocument>& document) {
    if (isReadOnly(path) || !writeFileAtomically(path, document->serialize())) throw IniWriteError(path);
    cache().remember(path, Loaded{stampOf(path), document, coarseNowNs(), true});
}

}  // namespace

// The writes of an update: applied to a copy of the file as it was when the update began, and
// applied again to the file as it is at commit time when someone else has written it meanwhile.
struct IniFile::Update {
    std::shared_ptr<const IniDocument> base;  // the parse the update began on
    IniDocument document;
    std::vector<std::function<void(IniDocument&)>> changes;
};

IniWriteError::IniWriteError(const QString& p)
    : std::runtime_error(("Cannot write the file " + p).toStdString()), path(p) {}

IniFile::IniFile(QString fileName) : path_(std::move(fileName)) {}
IniFile::~IniFile() = default;

IniFile::IniFile(const IniFile& other)
    : path_(other.path_), update_(other.update_ ? std::make_unique<Update>(*other.update_) : nullptr) {}

IniFile& IniFile::operator=(const IniFile& other) {
    if (this != &other) {
        path_ = other.path_;
        update_ = other.update_ ? std::make_unique<Update>(*other.update_) : nullptr;
    }
    return *this;
}

std::shared_ptr<const IniDocument> IniFile::document() const {
    if (update_) return std::shared_ptr<const IniDocument>(std::shared_ptr<void>(), &update_->document);
    return cache().load(path_).document;
}

template <typename Change>
void IniFile::change(Change&& apply) {
    if (update_) {
        apply(update_->document);
        update_->changes.emplace_back(std::forward<Change>(apply));
        return;
    }
    WriterLock lock(path_);
    auto document = std::make_shared<IniDocument>(*cache().load(path_).document);
    apply(*document);
    store(path_, document);
}

QString IniFile::readString(const QString& section, const QString& key, const QString& defaultValue) const {
    return document()->value(section, key).value_or(defaultValue);
}

int IniFile::readInteger(const QString& section, const QString& key, int defaultValue) const {
    QString text = readString(section, key, QString()).trimmed();
    bool ok = false;
    int value = 0;
    if (text.startsWith('$')) value = text.mid(1).toInt(&ok, 16);
    else if (text.startsWith("0x", Qt::CaseInsensitive)) value = text.mid(2).toInt(&ok, 16);
    else value = text.toInt(&ok, 10);
    return ok ? value : defaultValue;
}

bool IniFile::valueExists(const QString& section, const QString& key) const {
    return document()->value(section, key).has_value();
}

bool IniFile::sectionExists(const QString& section) const { return document()->hasSection(section); }

QStringList IniFile::readSection(const QString& section) const { return document()->keys(section); }

QStringList IniFile::readSectionValues(const QString& section) const {
    QStringList lines;
    for (const auto& [key, value] : document()->pairs(section)) lines << key + "=" + value;
    return lines;
}

std::vector<std::pair<QString, QString>> IniFile::readSectionPairs(const QString& section) const {
    return document()->pairs(section);
}

QStringList IniFile::readSections() const { return document()->sectionNames(); }

void IniFile::writeString(const QString& section, const QString& key, const QString& value) {
    change([=](IniDocument& d) { d.setValue(section, key, value); });
}

void IniFile::writeInteger(const QString& section, const QString& key, int value) {
    writeString(section, key, QString::number(value));
}

void IniFile::writeBool(const QString& section, const QString& key, bool value) {
    writeString(section, key, boolText(value));
}

void IniFile::writeStringIfMissing(const QString& section, const QString& key, const QString& value) {
    if (!update_ && valueExists(section, key)) return;  // nothing to write
    change([=](IniDocument& d) {
        if (!d.value(section, key)) d.setValue(section, key, value);
    });
}

void IniFile::eraseSection(const QString& section) {
    if (!update_ && !sectionExists(section)) return;  // nothing to write
    change([=](IniDocument& d) { d.eraseSection(section); });
}

void IniFile::deleteKey(const QString& section, const QString& key) {
    if (!update_ && !valueExists(section, key)) return;
    change([=](IniDocument& d) { d.deleteKey(section, key); });
}

void IniFile::beginUpdate() {
    if (update_) return;
    const Loaded loaded = cache().load(path_);
    update_ = std::make_unique<Update>(Update{loaded.document, *loaded.document, {}});
}

void IniFile::commitUpdate() {
    if (!update_) return;
    std::unique_ptr<Update> update = std::move(update_);
    if (update->changes.empty()) return;
    WriterLock lock(path_);
    const Loaded current = cache().load(path_);
    // A new parse means the file may have changed since the update began.
    if (current.document != update->base) {
        update->document = *current.document;
        for (const auto& apply : update->changes) apply(update->document);
    }
    store(path_, std::make_shared<IniDocument>(std::move(update->document)));
}

void IniFile::cancelUpdate() { update_.reset(); }

}  // namespace platform
