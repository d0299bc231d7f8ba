#pragma once
// Lets the user pick a folder from the folder tree. Execute shows the dialog and returns true when
// the user pressed OK; Directory then holds the chosen folder (and, before Execute, the folder to
// preselect). The dialog offers a root folder, a caption and an instruction text, the current
// path in a status line, OK only for file-system folders (by default), placement, and a copy of a
// button or check box of the owner form placed beside OK and Cancel.
#include <QObject>
#include <QPointer>
#include <QString>
#include <functional>

#include <QAbstractButton>
class QWidget;
class TFolderBrowseWindow;
class TShellNode;

enum TFolderDialogOption : quint16 {
    bfFileSysDirsOnly = 0x1,
    bfDontGoBelowDomain = 0x2,
    bfStatusText = 0x4,
    bfFileSysAncestors = 0x8,
    bfBrowseForComputer = 0x10,
    bfBrowseForPrinter = 0x20,
    bfBrowseIncludeFiles = 0x40,
    bfShowPathInStatusArea = 0x80,
    bfSyncCustomButton = 0x100,
    bfAlignCustomButton = 0x200,
    bfScreenCenter = 0x400,
    bfParentCenter = 0x800,
    bfResizeCustomButton = 0x1000,
};
Q_DECLARE_FLAGS(TFolderDialogOptions, TFolderDialogOption)
Q_DECLARE_OPERATORS_FOR_FLAGS(TFolderDialogOptions)

// Roots the dialog can start from. Those without a counterpart here (network, printers, fonts,
// start menu and the like) give the whole namespace.
enum TShellFolder {
    sfoDesktopExpanded, sfoDesktop, sfoPrograms, sfoControlPanel, sfoPrinters, sfoPersonal, sfoFavorites,
    sfoStartup, sfoRecent, sfoSendto, sfoRecycleBin, sfoStartMenu, sfoDesktopDirectory, sfoMyComputer,
    sfoNetwork, sfoNetworkNeighborhood, sfoFonts, sfoTemplates, sfoCommonStartMenu, sfoCommonPrograms,
    sfoCommonStartup, sfoCommonDesktopDirectory, sfoAppData, sfoPrintHood
};

class TFolderDialog : public QObject {
    Q_OBJECT
public:
    using TNotifyEvent = std::function<void(TFolderDialog* Sender)>;
    static constexpr TFolderDialogOptions DefaultOptions{0xB85};

    explicit TFolderDialog(QWidget* owner = nullptr);
    ~TFolderDialog() override;

    bool Execute();

    // While the dialog is open: the path of the current selection (empty for a virtual folder).
    QString Directory() const;
    void setDirectory(const QString& directory);
    QString Title() const;
    void setTitle(const QString& title);
    QString Text() const { return text_; }
    void setText(const QString& text) { text_ = text; }
    TFolderDialogOptions Options() const { return options_; }
    // Keeps pairs of options consistent (see the .cpp).
    void setOptions(TFolderDialogOptions options);
    TShellFolder RootFolder() const { return rootFolder_; }
    void setRootFolder(TShellFolder rootFolder) { rootFolder_ = rootFolder; }
    // The dialog's place when neither centring option is set, in the owner's client coordinates.
    int Top() const { return top_; }
    void setTop(int top);
    int Left() const { return left_; }
    void setLeft(int left);
    // While open, the copy in the dialog; otherwise the button given.
    QAbstractButton* CustomButton() const;
    void setCustomButton(QAbstractButton* button) { customButton_ = button; }
    // The status line's whole text (the line itself may show it shortened).
    QString StatusText() const { return statusText_; }
    // The open dialog, or null.
    TFolderBrowseWindow* Window() const { return window_; }

    TNotifyEvent OnShow;
    TNotifyEvent OnChange;
    TNotifyEvent OnClose;

protected:
    virtual void PositionDialog();

private:
    void Initialized();
    void SelectionChanged(TShellNode* node);
    void SelectDirectory(const QString& path);
    void SetStatusText(const QString& text);
    void PlaceClone();
    void Accept();
    QWidget* ParentControl() const;

    QWidget* owner_;
    QString title_ = QStringLiteral("Browse for Folder");
    QString text_;
    QString directory_;
    QString statusText_;
    QString selectionPath_;
    TFolderDialogOptions options_ = DefaultOptions;
    TShellFolder rootFolder_ = sfoDesktopExpanded;
    int top_ = 0;
    int left_ = 0;
    QPointer<QAbstractButton> customButton_;
    QAbstractButton* clone_ = nullptr;
    TFolderBrowseWindow* window_ = nullptr;
};
