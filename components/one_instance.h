#pragma once
// Keeps one running copy of a program per user. The owner window creates the component; once the
// window is built, Loaded() decides: the first copy listens, a later copy hands its command-line
// arguments to the first one (which comes to the front) and then ends without showing a window.
//
// Copies meet through a key made from the program's file name and its directory (the program's
// data directory, which copies in other folders do not share), so only copies of one program
// started from one folder meet: two programs with different names never do, nor two copies in
// different folders. The key also carries the user, so different users never meet.
//
// The meeting place is a lock file and a small block file in the temporary directory, or in
// FallbackDirectory when the temporary directory cannot hold them. The first copy answers later
// copies from a thread of its own, so a later copy is answered at once however long the first
// copy's own work keeps its event loop away; the arguments then reach the owner through the
// event loop.
#include <QCoreApplication>
#include <QObject>
#include <QString>
#include <QStringList>
#include <memory>
#include <stdexcept>

class QLocalSocket;
class QThread;
class QWidget;

class OneInstanceError : public std::runtime_error {
public:
    explicit OneInstanceError(const char* message) : std::runtime_error(message) {}
};

class TOneInstance : public QObject {
    Q_OBJECT
public:
    // A later copy hands over at most this many arguments, each cut to this many characters.
    static constexpr int MaxHandedArguments = 10;
    static constexpr int MaxArgumentLength = 300;

    // programName defaults to the file name of argument 0; with the program's directory it decides
    // which copies meet.
    // Only one component may exist in a process at a time.
    explicit TOneInstance(QWidget* owner, const QString& programName = QString());
    ~TOneInstance() override;

    bool ShowOnNewInstance = true;
    // When a later copy ends: true stops the process at once, false asks the event loop to quit
    // as soon as it runs (the forms built after the owner are still created).
    bool UseHaltToExit = false;
    // How long a later copy waits for the first one to answer before it runs on its own.
    int HandOverTimeoutMs = 10000;
    // Where the lock goes when the temporary directory cannot hold it (for example the program's
    // data directory); empty for none. Set it before Loaded().
    QString FallbackDirectory;

    // Runs the check. Call it once, when the owner window is built. Throws OneInstanceError
    // ("Unable to create semaphore") when no lock can be made in either directory.
    void Loaded();
    // False when this copy handed its arguments to a running copy and must end; its main window
    // is then not to be shown.
    bool isFirstInstance() const { return !mustEnd_; }
    // The name copies meet under; safe for shared memory, file names and local sockets. The
    // directory counts by identity, whatever path names it.
    static QString KeyFor(const QString& programName,
                          const QString& programDirectory = QCoreApplication::applicationDirPath());
    QString key() const { return key_; }

signals:
    // A later copy started with these arguments (at most ten, each cut to 300 characters).
    void OnInstanceStarted(const QStringList& arguments);

protected:
    // Brings the owner window to the front (when ShowOnNewInstance) and reports the arguments.
    virtual void DoInstanceStarted(const QStringList& arguments);

private:
    void CheckInstance();
    // Called with the block lock held: false when this copy could not leave its name in the block.
    bool BecomeFirstInstance();
    void PassParamsToFirstInstance(const QString& firstServerName);
    void EndThisCopy();
    // Starts the listening thread; the name later copies reach it under, or empty.
    QString startListener();
    void stopListener();
    QString storedServerName() const;
    bool storeServerName(const QString& name);

    QWidget* owner_;
    QString key_;
    QString lockDirectory_;
    QString lockPath_;   // serialises access to the block across copies
    QString blockPath_;  // holds the listening name of the first copy
    QThread* listenerThread_ = nullptr;
    QObject* listenerContext_ = nullptr;  // lives in the listening thread
    QString listenName_;
    bool mustEnd_ = false;
};
