#include "components/one_instance.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QLocalServer>
#include <QLocalSocket>
#include <QLockFile>
#include <QSharedMemory>
#include <QThread>
#include <QWidget>
#include <QtEndian>

#include <cstdlib>
#include <cstring>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace {

TOneInstance* OneInstanceInProcess = nullptr;

// The shared block holds the listening name of the first copy, zero-terminated UTF-8.
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

// Serialises every reader and writer of the shared block across copies. A lock file rather than a
// system semaphore: on Unix those are found through ftok keys that other names can share, and such a
// semaphore, held while the shared memory takes its own lock, deadlocks two programs against each
// other. A lock left by a copy that crashed is seen as stale and taken over.
class BlockLock {
public:
    explicit BlockLock(const QString& path) : file_(path) {
        while (!file_.tryLock(0) && file_.error() == QLockFile::LockFailedError) QThread::msleep(5);
    }
    bool held() const { return file_.isLocked(); }
    BlockLock(const BlockLock&) = delete;
    BlockLock& operator=(const BlockLock&) = delete;

private:
    QLockFile file_;
};

}  // namespace

TOneInstance::TOneInstance(QWidget* owner, const QString& programName) : QObject(owner), owner_(owner) {
    if (OneInstanceInProcess) throw OneInstanceError("Drop only one of these components on your form !");
    const QString name =
        programName.isEmpty() ? QFileInfo(QCoreApplication::arguments().value(0)).fileName() : programName;
    key_ = KeyFor(name);
    OneInstanceInProcess = this;
}

TOneInstance::~TOneInstance() {
    if (server_) server_->close();
    if (memory_ && memory_->isAttached()) {
        BlockLock lock(lockPath_);
        // A copy that took over from us keeps its own name in the block.
        if (server_ && storedServerName() == listenName_) storeServerName(QString());
        memory_->detach();
    }
    if (OneInstanceInProcess == this) OneInstanceInProcess = nullptr;
}

QString TOneInstance::KeyFor(const QString& programName) {
    // Readable part: the letters and digits of the name; the hash keeps different names apart.
    QString readable;
    for (const QChar c : programName) {
        if (readable.size() >= 24) break;
        if ((c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') || (c >= u'0' && c <= u'9')) readable += c;
    }
    const QByteArray identity = (currentUser() + QChar(0) + programName).toUtf8();
    const QString hash =
        QString::fromLatin1(QCryptographicHash::hash(identity, QCryptographicHash::Sha256).toHex().left(16));
    return "oneinst-" + readable + "-" + hash;
}

void TOneInstance::Loaded() { CheckInstance(); }

void TOneInstance::CheckInstance() {
    lockPath_ = QDir::tempPath() + "/" + key_ + ".lock";
    memory_ = std::make_unique<QSharedMemory>(key_);

    QString firstServerName;
    {
        BlockLock lock(lockPath_);
        if (!lock.held()) throw OneInstanceError("Unable to create semaphore");
        // A block left behind by a copy that crashed has no one attached: attaching and detaching
        // again removes it, so the create below succeeds.
        QString leftBehind;
        if (memory_->attach()) {
            leftBehind = storedServerName();
            memory_->detach();
        }
        if (memory_->create(BlockSize)) {
            // The copy that listened there is gone, but its socket may still lie about.
            if (!leftBehind.isEmpty()) QLocalServer::removeServer(leftBehind);
            std::memset(memory_->data(), 0, BlockSize);
            BecomeFirstInstance();
            return;
        }
        if (memory_->error() != QSharedMemory::AlreadyExists || !memory_->attach()) {
            memory_.reset();  // no block: run as if alone
            return;
        }
        firstServerName = storedServerName();
    }
    PassParamsToFirstInstance(firstServerName);
}

// Called with the block lock held: starts listening and leaves our name in the block.
void TOneInstance::BecomeFirstInstance() {
    if (!server_) {
        server_ = new QLocalServer(this);
        server_->setSocketOptions(QLocalServer::UserAccessOption);
        connect(server_, &QLocalServer::newConnection, this, [this] {
            while (QLocalSocket* socket = server_->nextPendingConnection()) {
                connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
                connect(socket, &QLocalSocket::readyRead, this, [this, socket] { ServeHandOver(socket); });
                ServeHandOver(socket);
            }
        });
        const QString name = key_ + "-" + QString::number(QCoreApplication::applicationPid());
        if (!server_->listen(name)) {
            // A socket left behind by an earlier process that had our process number.
            QLocalServer::removeServer(name);
            if (!server_->listen(name)) {
                delete server_;
                server_ = nullptr;
                return;  // runs on its own; later copies find no one to hand over to
            }
        }
    }
    listenName_ = server_->fullServerName();
    storeServerName(listenName_);
}

void TOneInstance::PassParamsToFirstInstance(const QString& firstServerName) {
    QLocalSocket socket;
    bool handedOver = false;
    if (!firstServerName.isEmpty()) {
        socket.connectToServer(firstServerName);
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
    }
    if (handedOver) {
        EndThisCopy();
        return;
    }
    // No answer: this copy runs normally and later starts address it instead.
    const bool listenerGone = socket.error() == QLocalSocket::ConnectionRefusedError;
    socket.abort();
    BlockLock lock(lockPath_);
    if (listenerGone) QLocalServer::removeServer(firstServerName);  // left by a copy that crashed
    BecomeFirstInstance();
}

void TOneInstance::EndThisCopy() {
    mustEnd_ = true;
    {
        BlockLock lock(lockPath_);
        memory_->detach();
    }
    memory_.reset();
    if (UseHaltToExit) std::exit(0);
    // Ends the event loop as soon as it runs.
    QMetaObject::invokeMethod(QCoreApplication::instance(), &QCoreApplication::quit, Qt::QueuedConnection);
}

void TOneInstance::ServeHandOver(QLocalSocket* socket) {
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

    // The later copy waits for this answer, whatever the handler does.
    struct Answer {
        QLocalSocket* socket;
        ~Answer() {
            socket->putChar(HandOverDone);
            socket->flush();
        }
    } answer{socket};
    DoInstanceStarted(arguments);
}

void TOneInstance::DoInstanceStarted(const QStringList& arguments) {
    if (ShowOnNewInstance && owner_) {
        QWidget* window = owner_->window();
        if (window->isMinimized()) window->setWindowState(window->windowState() & ~Qt::WindowMinimized);
        window->raise();
        window->activateWindow();
    }
    emit OnInstanceStarted(arguments);
}

QString TOneInstance::storedServerName() const {
    const char* data = static_cast<const char*>(memory_->constData());
    return QString::fromUtf8(data, qstrnlen(data, BlockSize - 1));
}

void TOneInstance::storeServerName(const QString& name) {
    const QByteArray bytes = name.toUtf8().left(BlockSize - 1);
    char* data = static_cast<char*>(memory_->data());
    std::memset(data, 0, BlockSize);
    std::memcpy(data, bytes.constData(), size_t(bytes.size()));
}
