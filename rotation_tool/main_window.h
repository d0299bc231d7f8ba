#pragma once
// The rotation tool's main window: the site list, the status of the selected site, and the
// buttons that rotate one site or all of them. The rotation engine's methods live in
// rotation_engine.cpp.
#include "rotation_tool/rotation_contents.h"
#include "site_manager/folder_owners.h"
#include "site_manager/site_list_form.h"
#include <QByteArray>
#include <QElapsedTimer>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

class QLabel;
class QLineEdit;
class QListWidget;
class QPainter;
class QPushButton;
class QRect;
class QTimer;
class TOneInstance;

namespace platform {
class IniFile;
}
namespace rotation_tool {
class WorkerPool;
class WrittenFolders;
}

namespace rotation_tool {

class TfrmMain : public TSiteListForm {
    Q_OBJECT
public:
    // Reads the command line (the first argument after the program name) at creation. With
    // singleInstance the single-instance check runs first: a later copy hands its arguments to
    // the running one and reads nothing (the check throws OneInstanceError when it cannot run).
    explicit TfrmMain(const QStringList& arguments = {}, QWidget* parent = nullptr, bool singleInstance = false);
    ~TfrmMain() override;

    QLabel* Label7;            // progress line across the top
    QPushButton* btnRotateCurrent;
    QPushButton* btnrotateall;
    QPushButton* btnOptions;
    QPushButton* btnabout;
    QPushButton* BitBtn1;  // Help
    QPushButton* BitBtn2;  // Close
    QListWidget* FileBox;  // hidden: plain file names of the directory in edtrotationdirectory
    QLineEdit* edtrotationdirectory;
    QTimer* Timer1;
    TOneInstance* OneInstance1 = nullptr;

    // Start-up and close.
    void FormCreate(const QStringList& arguments);
    void FormShow() override;
    void FormClose() override;
    void Timer1Timer();

    // Site list and status panel.
    void lbxsitesClick();
    bool loadsite(const QString& key);
    void doselectionstatus();

    // Buttons.
    void btnOptionsClick();
    void btnaboutClick();
    void BitBtn1Click();
    void BitBtn2Click();

    // Rotation engine.
    void btnRotateCurrentClick(QObject* sender);
    void btnrotateallClick();
    bool RotationExists(const QString& key, int n);
    // True when every file of the rotation went live.
    bool RotateCurrentRotation(int n);
    // One file of a copy pass, by native paths (names may hold any bytes), and how it went.
    using FileCopy = rotation_tool::FileCopy;
    enum class CopyOutcome { AllPublished, NothingChanged, PartlyPublished };
    // Copies the files of a rotation in two phases, into the folders given as the checks judged
    // them (each opened once; nothing is written into a folder that is no longer the one
    // checked). First each new file is written beside its target under a temporary name, side
    // by side on the run's worker pool, and then all are forced to the disk with one sync of the
    // file system; with backups, every replaced file is then kept under its backup name. When a
    // file, the sync or a backup fails, the temporary files, the backups and the directories made
    // for them are removed again and the live directory is as it was. Only when all are whole
    // are they renamed over their targets, pass by pass (FileCopy::pass, in the list's order), as
    // long as every folder is still where it was checked and every file of the earlier passes
    // went live. Every file that failed gets an error line.
    CopyOutcome CopyRotationFiles(QList<FileCopy>& copies, WrittenFolders& folders);
    void savecurrentsiterotation(qint64 n);
    void EnableControls(bool on);
    void edtrotationdirectoryChange();

    // Why this copy runs without the single-instance lock (empty when it holds one); an
    // unattended run puts it into its log.
    QString RunsWithoutLock;

protected:
    // Rotate Current is the window's default button: Return and Enter press it when no button has
    // the focus. While Rotate All runs they press nothing.
    QPushButton* buttonForEnter(QPushButton* focused) override;

private:
    // A report that goes to the log as an error when unattended, else into a box.
    void report(const QString& text, bool asWarning);
    // The error for the site at the list index when its site file cannot be read as one (missing,
    // not readable, or without a key in a [General] section); empty when it can. A readable site
    // without a path is no such error: its rotations may have paths of their own.
    QString siteReadError(int index) const;
    // The rotation numbers that can be valid for the current site, in the order of the search
    // from start up to count and then from 1: only numbers that have a section in the site file
    // or an existing default directory, so a huge count costs no more than a small one.
    QList<qint64> rotationCandidates(qint64 start, qint64 count);
    // Every rotation number of the current site that has a section or a default directory, sorted.
    QList<qint64> rotationNumbers(const platform::IniFile& site);
    // The directory of rotation n of the current site, as stored or by default.
    QString rotationDirectory(const platform::IniFile& site, qint64 n) const;
    // All rotations of the current site with their directories (native, with a trailing "/").
    QList<SiteRotationDirectory> siteRotations();
    // The entries of the directory in edtrotationdirectory, by their names as stored.
    DirectoryEntries listedEntries() const;

    // Label7 := text, painted at once unless it was painted only just now.
    void showProgress(const QString& text);
    // The subdirectories of a directory whose names end in a number, by the rest of the name in
    // lower case; listed once per run.
    const QHash<QString, QList<qint64>>& numberedSubdirectories(const QString& directory);
    // Whose every folder of the data directory's sites is; read once per run.
    const FolderOwners& folderOwners();
    // The error line when copying the rotation in source into live would write into folders that
    // are not the current site's, through the copies given; empty when it would not.
    QString foreignFolderWrittenInto(const QByteArray& source, const QByteArray& live, int n,
                                     const QList<QByteArray>& written);
    // The error line for a folder written into that is no longer the folder that was checked.
    void logFolderChanged(const QByteArray& folder);
    // The error line what + ", " + file + ", for site, " + Name + "!".
    void logFileFailure(const QString& what, const QByteArray& file);

    std::unique_ptr<WorkerPool> workers_;
    // The entries of the listed directory that are neither regular files nor directories.
    QList<QByteArray> listedOthers_;
    QHash<QString, QHash<QString, QList<qint64>>> numberedSubdirectories_;
    std::optional<FolderOwners> folderOwners_;
    bool rotatingAll_ = false;
    QElapsedTimer progressShown_;
};

extern TfrmMain* frmMain;

// True when the argument asks for an unattended rotation ("/ROTATE", "R" and the other forms,
// in any letter case).
bool isRotateArgument(const QString& argument);

}  // namespace rotation_tool
