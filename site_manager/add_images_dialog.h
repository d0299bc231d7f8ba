#pragma once
// "Add Images to Current Rotation": browse folders, see their images as thumbnails and copy the
// chosen ones into a rotation of the current site, by the copy button, by double-click or by
// dragging files onto the rotation's list. It lives for the whole run; the site editor shows it
// with "Select Images". Every file enters the rotation through the site editor's addimage.
#include "platform/modal_dialog.h"
#include "site_manager/builder/deleted_image_pages.h"

#include <QPoint>
#include <QStringList>
#include <optional>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QSplitter;
class TDropFileSource;
class TDropFileTarget;
class TFileListBox;
class TShellTree;
class TXThumbGrid;

class TdlgAddImages : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgAddImages(QWidget* parent = nullptr);
    ~TdlgAddImages() override;

    // --- Source images (left) ---
    TShellTree* dirSource;
    QSplitter* Splitter1;  // between the folder tree and the thumbnails
    TXThumbGrid* ThumbGrid;
    TFileListBox* fbxsource;  // hidden under the grid; feeds it
    QPushButton* btncopy2site;

    // --- Rotations (right) ---
    QLineEdit* edtsitename;
    QLabel* lblrotation;
    QComboBox* cmbrotation;
    QLineEdit* edtrotationdirectory;
    QLabel* lblimagesheading;
    TFileListBox* FileBox;
    QLabel* lblfilecount;
    QPushButton* BitBtn1;  // Close

    TDropFileSource* DropSource1;
    TDropFileTarget* DropFileTarget1;  // files dropped on FileBox

    // Where the mouse was pressed on the source list or the grid; (-1, -1) when no press was
    // recorded.
    QPoint DragStartPoint{-1, -1};

    void dirSourceChange();
    void cmbrotationChange();
    void edtrotationdirectoryChange();
    void FileBoxChange();
    void FileBoxKeyUp(int key);
    void btncopy2siteClick();
    void ThumbGridMouseUp();
    void ThumbGridDblClick();
    void fbxsourceMouseDown(const QPoint& position);
    // sender is fbxsource or ThumbGrid: the drag takes that one's selected files.
    void fbxsourceMouseMove(QObject* sender, Qt::MouseButtons buttons, Qt::KeyboardModifiers keys,
                            const QPoint& position);
    // True when every dropped file was taken into the rotation.
    bool DropFileTarget1Drop(const QStringList& files);

protected:
    void FormShow() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // FileBox's directory with a trailing "/", or empty (after telling the user) while the
    // rotation directory could not be entered: nothing may then be copied or deleted there.
    QString locatedRotationDirectory();
    // How the rotation shown in directory names its display pages, when it is the site editor's
    // current rotation; nothing for another one.
    std::optional<RotationPageNaming> shownRotationPageNaming(const QString& directory) const;
    bool rotationLocated_ = false;
    int shownRotationIndex_ = -1;  // the combo index of the rotation whose directory is shown
};

extern TdlgAddImages* dlgAddImages;
