#include "components/one_instance.h"

#include "platform/file_replacement.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QPointer>
#include <QThread>
#include <QWidget>
#include <QtEndian>

#include <cstdlib>
#include <functional>

#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

TOneInstance* OneInstanceInProcess = nullptr;

// The block file holds the listening name of the first copy as UTF-8.
constexpr int BlockSize = 256;

// A hand-over is a 32-bit big-endian length and the arguments as UTF-8, each ended by a zero byte.
// The first copy answers with one byte once it has dealt with them.
constexpr int LengthBytes = 4;
constexpr qint64 MaxMessageBytes = TOneInstance::MaxHandedArguments * (TOneInstance::MaxArgumentLength * 3 + 1);
constexpr char HandOverDone = 'A';

QString currentUser() {
#ifdef Q_OS_UNIX
    return QString::number(::getuid());
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

// The same directory under any of its names: its device and inode, or its canonical path where
// it cannot be examined.
QString directoryIdentity(const QString& directory) {
#ifdef Q_OS_UNIX
    struct stat info {};
    if (::stat(QFile::encodeName(directory).constData(), &info) == 0)
        return QString::number(quint64(info.st_dev)) + ":" + QString::number(quint64(info.st_ino));
#endif
    const QString canonical = QFileInfo(directory).canonicalFilePath();
    return canonical.isEmpty() ? directory : canonical;
}

QString cutArgument(const QString& argument) {
    if (argument.size() <= TOneInstance::MaxArgumentLength) return argument;
    int length = TOneInstance::MaxArgumentLength;
    if (argument.at(length - 1).isHighSurrogate()) --length;  // never split a character in two
    return argument.left(length);
}

QStringList limitArguments(QStringList arguments) {
    arguments = arguments.mid(0, TOneInstance::MaxHandedArguments);
    for (QString& argument : arguments) argument = cutArgument(argument);
    return arguments;
}

QByteArray encodeHandOver(const QStringList& arguments) {
    QByteArray payload;
    for (const QString& argument : arguments) {
        payload += argument.toUtf8();
        payload += '\0';
    }
    QByteArray message(LengthBytes, '\0');
    qToBigEndian<quint32>(quint32(payload.size()), message.data());
    return message + payload;
}

QStringList decodeArguments(const QByteArray& payload) {
    QList<QByteArray> parts = payload.split('\0');
    parts.removeLast();  // the text after the last terminator is empty
    QStringList arguments;
    for (const QByteArray& part : parts) arguments << QString::fromUtf8(part);
    return limitArguments(arguments);
}

// Serialises every reader and writer of the block across copies. A lock file rather than a system
// semaphore: on Unix those are found through ftok keys that other names can share. A lock left by
// a copy that crashed is seen as stale and taken over. A lock that cannot be made at all (the
// directory is missing, full or not writable), or that stays taken far longer than any copy holds
// it, is not held.
class BlockLock {
public:
    explicit BlockLock(const QString& path) : file_(path) {
        QElapsedTimer waited;
        waited.start();
        while (!file_.tryLock(0) && file_.error() == QLockFile::LockFailedError && waited.elapsed() < kLockWaitMs)
            QThread::msleep(5);
    }
    bool held() const { return file_.isLocked(); }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;

private:
    static constexpr int kLockWaitMs = 5000;
    QLockFile file_;
};

// Longest path a local socket file may have on this system.
constexpr int MaxSocketPath = 100;

// Listening names in Linux's abstract socket namespace (no file) are stored with this mark.
constexpr char AbstractMark = '@';

// Answers later copies on the listening thread: the answer goes back at once, the arguments go to
// the component on its own thread.
void serveHandOver(QLocalSocket* socket, const std::function<void(QStringList)>& deliver) {
    if (socket->property("handedOver").toBool() || socket->bytesAvailable() < LengthBytes) return;
    char lengthBytes[LengthBytes];
    socket->peek(lengthBytes, LengthBytes);
    const qint64 length = qFromBigEndian<quint32>(lengthBytes);
    if (length > MaxMessageBytes) {
        socket->abort();  // not one of our copies
        return;
    }
    if (socket->bytesAvailable() < LengthBytes + length) return;
    socket->skip(LengthBytes);
    const QStringList arguments = decodeArguments(socket->read(length));
    socket->setProperty("handedOver", true);
    socket->putChar(HandOverDone);
    socket->flush();
    deliver(arguments);
}

}  // namespace

TOneInstance::TOneInstance(QWidget* owner, const QString& programName) : QObject(owner), owner_(owner) {
    if (OneInstanceInProcess) throw OneInstanceError("Drop only one of these components on your form !");
    const QString name =
        programName.isEmpty() ? QFileInfo(QCoreApplication::arguments().value(0)).fileName() : programName;
    key_ = KeyFor(name, QCoreApplication::applicationDirPath());
    OneInstanceInProcess = this;
}

TOneInstance::~TOneInstance() {
    stopListener();
    if (!listenName_.isEmpty()) {
        BlockLock lock(lockPath_);
        // A copy that took over from us keeps its own name in the block.
        if (lock.held() && storedServerName() == listenName_) QFile::remove(blockPath_);
    }
    if (OneInstanceInProcess == this) OneInstanceInProcess = nullptr;
}

QString TOneInstance::KeyFor(const QString& programName, const QString& programDirectory) {
    // Readable part: the letters and digits of the name; the hash keeps different names apart.
    QString readable;
    for (const QChar c : programName) {
        if (readable.size() >= 24) break;
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) readable += c;
    }
    const QByteArray identity =
        (currentUser() + QChar(0) + programName + QChar(0) + directoryIdentity(programDirectory)).toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(16));
    return "oneinst-" + readable + "-" + hash;
}

void TOneInstance::Loaded() { CheckInstance(); }

void TOneInstance::CheckInstance() {
    for (const QString& directory : {QDir::tempPath(), FallbackDirectory}) {
        if (directory.isEmpty()) continue;
        const QString base = QDir(directory).absolutePath() + "/" + key_;
        lockPath_ = base + ".lock";
        QString firstServerName;
        {
            BlockLock lock(lockPath_);
            if (!lock.held()) continue;
            lockDirectory_ = QDir(directory).absolutePath();
            blockPath_ = base + ".block";
            firstServerName = storedServerName();
            if (firstServerName.isEmpty()) {
                BecomeFirstInstance();
                return;
            }
        }
        PassParamsToFirstInstance(firstServerName);
        return;
    }
    lockPath_.clear();
    throw OneInstanceError("Unable to create semaphore");
}

bool TOneInstance::BecomeFirstInstance() {
    if (listenName_.isEmpty()) listenName_ = startListener();
    // Without a listener this copy runs on its own; later copies find no one to hand over to.
    return !listenName_.isEmpty() && storeServerName(listenName_);
}

QString TOneInstance::startListener() {
    listenerThread_ = new QThread;
    listenerThread_->setObjectName("one-instance listener");
    listenerContext_ = new QObject;
    listenerContext_->moveToThread(listenerThread_);
    connect(listenerThread_, &QThread::finished, listenerContext_, &QObject::deleteLater);
    listenerThread_->start();

    const QString shortName = key_ + "-" + QString::number(QCoreApplication::applicationPid());
    const QString socketPath = lockDirectory_ + "/" + shortName;
    QString listening;
    QPointer<TOneInstance> self(this);
    const auto deliver = [self](const QStringList& arguments) {
        QMetaObject::invokeMethod(
            self.data(), [self, arguments] { if (self) self->DoInstanceStarted(arguments); }, Qt::QueuedConnection);
    };
    QMetaObject::invokeMethod(
        listenerContext_,
        [&] {
            auto* server = new QLocalServer(listenerContext_);
            server->setSocketOptions(QLocalServer::UserAccessOption);
            connect(server, &QLocalServer::newConnection, server, [server, deliver] {
                while (QLocalSocket* socket = server->nextPendingConnection()) {
                    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                    connect(socket, &QLocalSocket::readyRead, socket, [socket, deliver] { serveHandOver(socket, deliver); });
                    serveHandOver(socket, deliver);
                }
            });
            if (QFile::encodeName(socketPath).size() <= MaxSocketPath) {
                // A socket left behind by an earlier process that had our process number.
                if (!server->listen(socketPath)) QLocalServer::removeServer(socketPath);
                if (server->isListening() || server->listen(socketPath)) {
                    listening = server->fullServerName();
                    return;
                }
            }
#ifdef Q_OS_LINUX
            // A directory whose path is too long for a socket file: a name without a file.
            server->setSocketOptions(QLocalServer::AbstractNamespaceOption);
            if (server->listen(shortName)) listening = AbstractMark + shortName;
#endif
        },
        Qt::BlockingQueuedConnection);
    if (listening.isEmpty()) stopListener();
    return listening;
}

void TOneInstance::stopListener() {
    if (!listenerThread_) return;
    listenerThread_->quit();
    listenerThread_->wait();
    delete listenerThread_;
    listenerThread_ = nullptr;
    listenerContext_ = nullptr;
}

void TOneInstance::PassParamsToFirstInstance(const QString& firstServerName) {
    QLocalSocket socket;
    bool handedOver = false;
    const bool abstract = firstServerName.startsWith(AbstractMark);
    if (abstract) socket.setSocketOptions(QLocalSocket::AbstractNamespaceOption);
    socket.connectToServer(abstract ? firstServerName.mid(1) : firstServerName);
    // A stale name (the first copy is gone) fails here at once.
    if (socket.waitForConnected(HandOverTimeoutMs)) {
        QElapsedTimer waited;
        waited.start();
        socket.write(encodeHandOver(limitArguments(QCoreApplication::arguments().mid(1))));
        while (socket.state() == QLocalSocket::ConnectedState && socket.bytesToWrite() > 0 &&
               waited.elapsed() < HandOverTimeoutMs)
            socket.waitForBytesWritten(int(HandOverTimeoutMs - waited.elapsed()));
        while (!handedOver && waited.elapsed() < HandOverTimeoutMs) {
            if (socket.bytesAvailable() == 0 && !socket.waitForReadyRead(int(HandOverTimeoutMs - waited.elapsed())))
                break;
            char answer = 0;
            handedOver = socket.getChar(&answer) && answer == HandOverDone;
        }
    }
    if (handedOver) {
        EndThisCopy();
        return;
    }
    // No answer: this copy runs normally and later starts address it instead.
    const bool listenerGone = socket.error() == QLocalSocket::ConnectionRefusedError;
    socket.abort();
    BlockLock lock(lockPath_);
    if (listenerGone && !abstract) QLocalServer::removeServer(firstServerName);  // left by a copy that crashed
    BecomeFirstInstance();
}

void TOneInstance::EndThisCopy() {
    mustEnd_ = true;
    if (UseHaltToExit) std::exit(0);
    // Ends the event loop as soon as it runs.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void TOneInstance::DoInstanceStarted(const QStringList& arguments) {
    if (ShowOnNewInstance && owner_) {
        QWidget* window = owner_->window();
        if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        // Without a display (an unattended run) there is nothing to stack, and asking would only
        // print a complaint of the platform into the run's output.
        const QString platform = QGuiApplication::platformName();
        if (platform != "offscreen" && platform != "minimal") window->raise();
        window->activateWindow();
    }
    emit OnInstanceStarted(arguments);
}

QString TOneInstance::storedServerName() const {
    QFile block(blockPath_);
    if (!block.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(block.read(BlockSize));
}

bool TOneInstance::storeServerName(const QString& name) {
    // The block only matters while this copy runs, so it does not wait for the disk (a start
    // would wait behind every other program's writes); every write is still checked.
    platform::FileReplacement block(blockPath_, platform::FileReplacement::Sync::Deferred);
    return block.open() && block.write(name.toUtf8().left(BlockSize)) && block.commit();
}
