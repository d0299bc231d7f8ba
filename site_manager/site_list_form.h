#pragma once
// What both programs' main windows share: the list of site keys drawn with their display names
// (a hidden list holds the names, index for index), FormShow / FormClose run once, on the first
// show and the first close, and Return and Enter press buttons as in a dialog.
#include "site_manager/selection_list_box.h"

#include <QWidget>

class QGroupBox;
class QKeyEvent;
class QLabel;
class QListWidget;
class QPainter;
class QPushButton;
class QRect;

class TSiteListForm : public QWidget {
    Q_OBJECT
public:
    explicit TSiteListForm(QWidget* parent = nullptr);

    SelectionListBox* lbxsites;  // site keys; drawn with their display names
    QListWidget* lbxsitename;  // hidden: display names, index for index with lbxsites
    QGroupBox* statusPanel;    // "Site Status" with the labels below
    QLabel* lblsitename;
    QLabel* lbllocation;
    QLabel* lblrotationcount;
    QLabel* lblautorotate;
    QLabel* lbllivepath;
    QLabel* lblcurrentrotation;

    virtual void FormShow() {}
    virtual void FormClose() {}
    // Fills the names from [Sites] of sites.ini ("Error: " + key for a key without an entry).
    void rebuildSiteNameList();
    void lbxsitesDrawItem(int index, QPainter& painter, const QRect& rect);
    // Clears the current key when no site is selected, then shows the current site's values.
    // rotationsShown off shows "N/A" as the rotation count and never shows auto-rotation.
    void showSiteStatus(bool rotationsShown);

protected:
    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    // Return and Enter (the keypad's too) press the button buttonForEnter names; a window's buttons
    // do not take the keys themselves, as a dialog's do. A held key's repeats never get here (the
    // program drops them).
    void keyPressEvent(QKeyEvent* event) override;
    // The button Return and Enter press, given the window's focused button (null when no button
    // has the focus): that one, as in a dialog. Null presses nothing.
    virtual QPushButton* buttonForEnter(QPushButton* focused) { return focused; }

private:
    bool shown_ = false;
    bool closed_ = false;
};
