#pragma once
// "Build Site": turns the rotation being edited into a gallery in its rotation directory, from the
// live settings of the site editor and the layout settings dialog. The site editor opens it for
// Build! and for each rotation of Build All.
#include "platform/modal_dialog.h"

#include <QElapsedTimer>
#include <QStringList>

struct BuildSettings;
class QCheckBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QTimer;
namespace platform {
class ReplacementBatch;
}

// Set by Cancel while a build runs; the build asks at its next check.
extern bool CancelRequested;
// The number of threads that make thumbnails; 0 (the default) is one per core.
extern int ThumbnailWorkerThreads;

class TdlgBuildProgress : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgBuildProgress(QWidget* parent = nullptr);

    QListWidget* lbximages;  // image names in build order
    QPushButton* bkmkup;     // tag -1
    QPushButton* bkmkdown;   // tag +1
    QPushButton* btnexclude;
    QCheckBox* chkNoThumbRecreate;
    QPushButton* btnok;    // Start
    QPushButton* BitBtn2;  // Cancel
    QPushButton* BitBtn1;  // Help
    QLabel* lblmessage;
    QProgressBar* ProgressBar;
    // Hidden working controls.
    QListWidget* lbxHeader;
    QListWidget* LbxFooter;
    QLineEdit* edtloadedheaderfile;
    QLineEdit* edtloadedfooterfile;
    QPlainTextEdit* txtHTML;
    QTimer* Timer1;  // Build All: presses Start once, 300 ms after the dialog is shown

    void FormShow() override;
    void lbximagesClick();
    void btnexcludeClick();
    // Both move buttons: the highlighted images move by the button's tag.
    void bkmkupClick(QPushButton* sender);
    void btnokClick();
    void BitBtn2Click();
    void BitBtn1Click();
    void Timer1Timer();
    // Lets Cancel and repainting through; true when the user confirms a requested cancel.
    bool CheckCancel();
    // Builds the rotation; true on success.
    bool build();
    void edtloadedheaderfileChange();
    void edtloadedfooterfileChange();

public slots:
    // Escape or closing the window while building asks to cancel instead of closing.
    void reject() override;

private:
    void step();
    // While held, the progress bar keeps its value but is not painted.
    void holdProgressPainting(bool hold);
    void showMessage(const QString& text);
    // The steps of build(); each returns false when the build stops there.
    // With the lower-case option: the rotation's images renamed to their lower-case names (and so
    // listed), since the pages link them by those names; false (after a box) on a clash.
    bool publishLowercaseNames(const QString& pageDirectory, QStringList& images);
    // Names images the gallery leaves out, and why, in one box; nothing when there are none.
    void reportLeftOutImages(const QString& reason, const QStringList& names);
    // Names the rotation's images that the gallery leaves out because their names cannot be read
    // (not valid UTF-8), in one box; nothing when there are none.
    void reportUnreadableNames(const QString& pageDirectory);
    // Leaves out of images (after one box naming them) those whose thumbnail or display page name
    // is too long for the file system; false (after a box) when no image is left.
    bool leaveOutTooLongNames(const BuildSettings& settings, QStringList& images);
    // A page written over a template or list the build reads would destroy it: such a build stops
    // (after a box naming both) before it writes or removes anything.
    bool refusePageOverReadFile(const BuildSettings& settings, const QStringList& images);
    // Thumbnails of images no longer in the rotation go before the build writes, so that they are
    // not published; false (after a box) when one cannot be removed.
    bool removeThumbnailsOfRemovedImages(const BuildSettings& settings);
    bool makeDirectories(const QString& thumbnailDirectory);
    bool copySupportFiles(const BuildSettings& settings);
    bool makePageButtons(const BuildSettings& settings, int pageCount, bool& useButtons);
    bool makeThumbnails(const BuildSettings& settings, const QStringList& images);
    // Makes a step's output (written into directory) durable with one sync and only then replaces
    // its targets; false (after a box) when it cannot, and then no target is replaced.
    bool placeOutput(platform::ReplacementBatch& step, const QString& directory);
    // Tells the user that the build could not write into directory and stops; always false.
    bool reportWriteFailure(const QString& directory);

    static constexpr int RefreshMilliseconds = 50;
    QElapsedTimer sinceEvents_;  // since events were last let through

    bool building_ = false;
    // The extensions the current-page and other-page buttons were written with.
    QString currentButtonExtension_ = ".gif";
    QString otherButtonExtension_ = ".gif";
};
