#pragma once
// The site editor: the rotations of the current site, their images, templates and build. It
// lives for the whole run; its controls (with those of the layout settings dialog) always hold
// the settings of one rotation.
#include "platform/modal_dialog.h"
#include "site_manager/rotation_images.h"
#include "site_manager/selection_list_box.h"
#include "site_manager/site_editor_fresh_controls.h"

#include <QString>
#include <QStringList>
#include <optional>

class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class TDropFileTarget;
class TFileListBox;
namespace platform {
class ReplacementBatch;
}

// How addimage took an image into the rotation.
struct PlacedImage {
    QString name;            // the file it went under; empty when it was not taken
    bool converted = false;  // stored as a JPEG made from it, not copied as it is
};

// The rotation whose settings the controls hold (from 1); -1 when none has been loaded since the
// editor was shown.
extern int CurrentRotationNumber;
// That rotation's status: 0 not built, 1 not built and its images changed, 2 built.
extern int CurrentRotationStatus;

class TdlgEditSite : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgEditSite(QWidget* parent = nullptr);
    ~TdlgEditSite() override;

    // --- Rotations ---
    QLineEdit* edtsite;
    SelectionListBox* lbxrotations;
    QPushButton* btnNewRotation;
    QPushButton* btndeleterotation;
    QGroupBox* grpRotations;
    QLabel* lblstatus;
    QLineEdit* edtrotationdirectory;  // never shown; the image list follows it
    QPushButton* btnCopyFrom;
    QPushButton* btnApplytoAll;
    QPushButton* btnBuildAll;
    QPushButton* btnpreview;
    QLabel* Label9;
    TFileListBox* fbxtemp;
    QPushButton* BitBtn1;  // Help
    QPushButton* BitBtn2;  // Close

    // --- Images ---
    TFileListBox* FileBox;
    TDropFileTarget* DropFileTarget1;  // files dropped on FileBox
    QLabel* lblfilecount;
    QPushButton* btnAddFiles;

    // --- Templates, header and footer, build ---
    QComboBox* cmbstyle;
    QPushButton* btnnewstyle;
    QPushButton* btnteststyle;
    QPushButton* btnviewhtml;
    QComboBox* cmbHeader;
    QComboBox* cmbFooter;
    QPushButton* btneditheader;
    QPushButton* btneditfooter;
    QLineEdit* edtheaderhtml;
    QLineEdit* edtheaderfile;
    QLineEdit* edtfooterhtml;
    QLineEdit* edtfooterfile;
    QPushButton* btnThumbnailOptions;
    QPushButton* btnbuild;

    // Rotations.
    void FormClose();
    void lbxrotationsClick();
    void btnNewRotationClick();
    void btndeleterotationClick();
    void btnCopyFromClick();
    void btnApplytoAllClick();
    void BitBtn1Click();
    void Displaycurrentstatus();

    // Images.
    // placed, when given, learns how the image was taken. With a batch the file waits in it until
    // the caller finishes the batch; without one it is in place when addimage returns.
    bool addimage(const QString& source, const QString& destination, PlacedImage* placed = nullptr,
                  platform::ReplacementBatch* batch = nullptr);
    void edtrotationdirectoryChange();
    void FileBoxChange();
    void FileBoxKeyUp(int key);
    // True when every dropped file was taken into the rotation.
    bool DropFileTarget1Drop(const QStringList& files);
    void btnAddFilesClick();
    // The image list reads the rotation directory again; a directory that could not be located
    // shows no images.
    void showRotationImages();
    // The support files a build of the rotation in the controls copies into its directory.
    QStringList currentSupportFileNames() const;
    // How a build of the rotation in the controls would name its pages, over these images of its
    // directory; nothing while the layout settings dialog is missing.
    std::optional<RotationPageNaming> currentPageNaming(const QStringList& listedImages) const;
    // While no rotation is current (none could be located since the editor was shown): the
    // "could not be located" line for the rotation shown, and true. Nothing may then be written.
    bool refuseUnlocatedRotation();
    // The list highlights the current rotation, or nothing while none is current.
    void highlightCurrentRotation();

    // Templates and build.
    void cmbstyleChange();
    void cmbstyleExit();
    static void addtexttocombolist(QComboBox* combo);
    void btnnewstyleClick();
    void btnteststyleClick();
    void cmbHeaderChange();
    void btneditheaderClick(QPushButton* sender);
    void btnThumbnailOptionsClick();
    // sender is btnbuild for the button itself, nullptr when Build All calls it.
    void btnbuildClick(QObject* sender);
    void btnBuildAllClick();
    void btnpreviewClick(QObject* sender);
    // Adds the sample templates of the data directory when the template list is empty.
    void seedTemplateList();
    // The thumbnail-page template list is kept in alphabetical order, whatever the case.
    void sortTemplateList();

protected:
    void FormShow() override;

    void done(int result) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    bool rotationLocated_ = false;  // a rotation is current, loaded from a directory that could be listed
    QString unlocatedDirectory_;    // while none is current: the directory of the rotation last refused
    std::optional<QStringList> listedSupportFileNames_;  // taken once for each reading of FileBox
    std::optional<FreshRotationControls> freshControls_;  // taken when the editor is first shown
};

extern TdlgEditSite* dlgEditSite;
