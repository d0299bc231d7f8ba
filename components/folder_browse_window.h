#pragma once
// The window of the folder dialog (components/folder_dialog.h): an instruction text, the folder
// tree, a status line that shortens long paths in the middle, a row for a custom button, OK and
// Cancel. The dialog component fills and drives it.
#include "platform/modal_dialog.h"

#include <QLabel>

class QHBoxLayout;
class QPushButton;
class TShellTree;

// A label that shows its whole text when it fits and otherwise a shortened one: with path mode
// the middle of the path goes and the last component stays, otherwise the end goes.
class TElidedLabel : public QLabel {
    Q_OBJECT
public:
    explicit TElidedLabel(QWidget* parent = nullptr);
    void setFullText(const QString& text, bool pathMode);
    QString fullText() const { return fullText_; }

    // "/home/user/.../last" within width pixels; the last component is kept whole when it fits.
    static QString ElidePath(const QString& path, const QFontMetrics& metrics, int width);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void refit();
    QString fullText_;
    bool pathMode_ = true;
};

class TFolderBrowseWindow : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TFolderBrowseWindow(QWidget* parent = nullptr);

    QLabel* lblText;
    TShellTree* tree;
    TElidedLabel* lblStatus;
    QHBoxLayout* buttonLine;  // the custom button's clone goes at its left
    QPushButton* btnOk;
    QPushButton* btnCancel;

protected:
    void FormShow() override;
};
