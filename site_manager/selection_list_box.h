#pragma once
// A list box whose click handler runs whenever the user moves its highlight, however they do it: a
// click, a press dragged to another row, the arrow, Home, End and page keys, Space, a typed letter,
// a Ctrl+click or a click on empty space. A click on the row already highlighted runs it too, as a
// click always has. Changes that code makes (filling the list, setting its row) run nothing.
#include <QListWidget>
#include <functional>

class SelectionListBox : public QListWidget {
public:
    explicit SelectionListBox(QWidget* parent = nullptr);

    // The handler runs once for each such change, after the list has handled the input, with the
    // current row on the highlighted row.
    void setClickHandler(std::function<void()> click);
    // The row the user sees highlighted; -1 when none is, wherever the focus frame is.
    int highlightedRow() const;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    template <class Handle>
    void handleUserInput(Handle handle);
    void runClick();

    std::function<void()> click_;
    int inputDepth_ = 0;           // > 0 while the list handles the user's input
    bool highlightMoved_ = false;  // the selection changed during that input
    bool rowClicked_ = false;      // a press and a release on one row
    bool ranSincePress_ = false;   // the handler already ran for the mouse press being handled
};
