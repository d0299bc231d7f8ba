#include "site_manager/selection_list_box.h"

#include <QItemSelectionModel>

SelectionListBox::SelectionListBox(QWidget* parent) : QListWidget(parent) {
    connect(selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] {
        if (inputDepth_ > 0) highlightMoved_ = true;
    });
    connect(this, &QListWidget::itemClicked, this, [this] {
        if (inputDepth_ > 0) rowClicked_ = true;
    });
}

void SelectionListBox::setClickHandler(std::function<void()> click) { click_ = std::move(click); }

int SelectionListBox::highlightedRow() const {
    const QList<QListWidgetItem*> highlighted = selectedItems();
    return highlighted.isEmpty() ? -1 : row(highlighted.first());
}

void SelectionListBox::mousePressEvent(QMouseEvent* event) {
    ranSincePress_ = false;
    handleUserInput([&] { QListWidget::mousePressEvent(event); });
}

void SelectionListBox::mouseMoveEvent(QMouseEvent* event) {
    handleUserInput([&] { QListWidget::mouseMoveEvent(event); });
}

void SelectionListBox::mouseReleaseEvent(QMouseEvent* event) {
    handleUserInput([&] { QListWidget::mouseReleaseEvent(event); });
}

void SelectionListBox::keyPressEvent(QKeyEvent* event) {
    handleUserInput([&] { QListWidget::keyPressEvent(event); });
}

template <class Handle>
void SelectionListBox::handleUserInput(Handle handle) {
    ++inputDepth_;
    handle();
    --inputDepth_;
    // A double click hands its press to the press handler: the outer input runs the handler.
    if (inputDepth_ > 0) return;
    const bool run = highlightMoved_ || (rowClicked_ && !ranSincePress_);
    highlightMoved_ = rowClicked_ = false;
    if (run) runClick();
}

void SelectionListBox::runClick() {
    // While the mouse drags, the view moves the selection before the current row; the buttons
    // that act on the list read the current row, so it is brought to the highlight first.
    const int highlighted = highlightedRow();
    if (highlighted >= 0 && highlighted != currentRow())
        selectionModel()->setCurrentIndex(model()->index(highlighted, 0), QItemSelectionModel::NoUpdate);
    ranSincePress_ = true;
    if (click_) click_();
}
