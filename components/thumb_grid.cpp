// TXThumbGrid: filling from a source, cell layout, selection by mouse and keys.
#include "components/thumb_grid.h"

#include "components/file_list_box.h"

#include <QHeaderView>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QScrollBar>
#include <QStyledItemDelegate>

#include <algorithm>
#include <stdexcept>

namespace {

constexpr int ScrollBarAllowance = 20;

// Cells are drawn by the grid itself.
class ThumbCellDelegate : public QStyledItemDelegate {
public:
    explicit ThumbCellDelegate(TXThumbGrid* grid) : QStyledItemDelegate(grid), grid_(grid) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        grid_->DrawCell(*painter, index.column(), index.row(), option.rect);
    }

private:
    TXThumbGrid* grid_;
};

// Sets a flag for the lifetime of a scope, also when it is left by an exception.
class UpdatingScope {
public:
    explicit UpdatingScope(bool& flag) : flag_(flag), old_(flag) { flag_ = true; }
    ~UpdatingScope() { flag_ = old_; }

private:
    bool& flag_;
    bool old_;
};

}  // namespace

TXThumbGrid::TXThumbGrid(QWidget* parent, int MemoryCacheSlots)
    : QTableWidget(parent), memoryCache_(MemoryCacheSlots) {
    MemoryCacheMaxCacheCount = int16_t(std::clamp(MemoryCacheSlots, 0, 32767));
    horizontalHeader()->hide();
    verticalHeader()->hide();
    horizontalHeader()->setMinimumSectionSize(0);
    verticalHeader()->setMinimumSectionSize(0);
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    setShowGrid(false);
    setSelectionMode(QAbstractItemView::NoSelection);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setVerticalScrollMode(QAbstractItemView::ScrollPerItem);
    setTabKeyNavigation(false);
    setItemDelegate(new ThumbCellDelegate(this));
    setColumnCount(1);
    setRowCount(1);
    applyLayout();
}

TXThumbGrid::~TXThumbGrid() = default;

QString TXThumbGrid::Path(int Index) const { return Index >= 0 && Index < Count() ? paths_[Index] : QString(); }

// ---- filling ----

void TXThumbGrid::LoadFromSource(QObject* Source, bool ResetPosition, bool SelectCurrent) {
    if (!qobject_cast<TFileListBox*>(Source) && !qobject_cast<QListWidget*>(Source))
        throw std::runtime_error("File source is not of compatible type");
    sourceKind_ = SourceKind::Widget;
    sourceWidget_ = Source;
    sourceList_.clear();
    loadFromSource(ResetPosition, SelectCurrent);
}

void TXThumbGrid::LoadFromSource(const QStringList& Source, bool ResetPosition, bool SelectCurrent) {
    sourceKind_ = SourceKind::List;
    sourceWidget_ = nullptr;
    sourceList_ = Source;
    loadFromSource(ResetPosition, SelectCurrent);
}

QStringList TXThumbGrid::readSource() const {
    if (sourceKind_ == SourceKind::List) return sourceList_;
    QStringList paths;
    if (auto* files = qobject_cast<TFileListBox*>(sourceWidget_.data())) {
        QString folder = files->Directory();
        if (!folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
        for (const QString& name : files->fileNames()) paths << folder + name;
    } else if (auto* list = qobject_cast<QListWidget*>(sourceWidget_.data())) {
        for (int i = 0; i < list->count(); ++i) paths << list->item(i)->text();
    }
    return paths;
}

void TXThumbGrid::loadFromSource(bool ResetPosition, bool SelectCurrent) {
    UpdatingScope scope(updating_);
    int position = 0;
    if (!ResetPosition) {
        // Counting only unselected items before the current one keeps the place when the
        // selected items were taken away.
        int unselected = 0;
        for (int i = 0; i < std::min(current_, Count()); ++i)
            if (!selected_[size_t(i)]) ++unselected;
        position = std::max(0, unselected - 1);
    }
    selected_.clear();
    selectedByStep_.clear();
    pressHitNothing_ = false;
    selectedAtPress_ = false;
    anchor_ = 0;
    previous_ = -1;
    current_ = -1;
    fill(readSource());
    if (Count() > 0) {
        current_ = std::min(position, Count() - 1);
        moveCurrentCell(false);
        if (SelectCurrent) mouseUpStep(Qt::LeftButton, Qt::NoModifier, false);
    }
    verticalScrollBar()->setValue(0);
    viewport()->update();
}

void TXThumbGrid::fill(const QStringList& Paths) {
    const int columns = std::max(1, columnCount());
    const int n = int(Paths.size());
    setRowCount(std::max(1, (n + columns - 1) / columns));  // a grid keeps at least one row
    paths_ = Paths;
    selected_.assign(size_t(n), 0);
    selectedByStep_.assign(size_t(n), 0);
}

// ---- layout ----

int TXThumbGrid::fontPixelHeight() const {
    const QFont f = font();
    if (f.pointSizeF() > 0) return qRound(f.pointSizeF() * logicalDpiY() / 72.0);
    return f.pixelSize();
}

void TXThumbGrid::SetThumbnailWidth(int Width) {
    // The value is kept even when the column width stays (it does in the file-name layout), so a
    // later change of layout uses it.
    thumbnailWidth_ = Width;
    int column = 2 * cellPadding_ + filenameTextWidth_;
    if (displayType_ == tdtLargeIcon) column = 2 * cellPadding_ + Width + 6;
    else if (displayType_ == tdtIconInfo) column = 2 * cellPadding_ + Width / 2 + filenameTextWidth_ + 8;
    column = std::max(1, column);
    if (column != horizontalHeader()->defaultSectionSize()) {
        horizontalHeader()->setDefaultSectionSize(column);
        for (int c = 0; c < columnCount(); ++c) setColumnWidth(c, column);
        recomputeColumns();
    }
}

void TXThumbGrid::SetThumbnailHeight(int Height) {
    thumbnailHeight_ = Height;
    const int f = fontPixelHeight();
    int row = f + 2 * cellPadding_;
    if (displayType_ == tdtLargeIcon) row = f + 2 * cellPadding_ + Height + 11;
    else if (displayType_ == tdtIconInfo) row = 2 * cellPadding_ + Height / 2 + 6;
    row = std::max(1, row);
    if (row != verticalHeader()->defaultSectionSize()) {
        verticalHeader()->setDefaultSectionSize(row);
        for (int r = 0; r < rowCount(); ++r) setRowHeight(r, row);
    }
}

void TXThumbGrid::SetFilenameTextWidth(int Width) {
    filenameTextWidth_ = Width;
    SetThumbnailWidth(thumbnailWidth_);
}

void TXThumbGrid::SetThumbDisplayType(TThumbDisplayType Type) {
    displayType_ = Type;
    applyLayout();
    viewport()->update();
}

void TXThumbGrid::SetCellPadding(int Padding) {
    cellPadding_ = Padding;
    applyLayout();
    viewport()->update();
}

void TXThumbGrid::applyLayout() {
    SetThumbnailHeight(thumbnailHeight_);
    SetThumbnailWidth(thumbnailWidth_);
}

void TXThumbGrid::resizeEvent(QResizeEvent* Event) {
    QTableWidget::resizeEvent(Event);
    recomputeColumns();
}

void TXThumbGrid::recomputeColumns() {
    if (updating_ || width() <= 2) return;
    const int columnWidth = std::max(1, horizontalHeader()->defaultSectionSize());
    const int columns = std::max(1, (width() - ScrollBarAllowance) / columnWidth);
    if (columns == columnCount()) return;
    if (sourceKind_ == SourceKind::None) {
        setColumnCount(columns);
        return;
    }
    QStringList selection;
    GetSelectedIndexes(selection);
    const int current = current_;
    {
        UpdatingScope scope(updating_);
        setColumnCount(columns);
        loadFromSource(false, false);
    }
    SetSelectedIndexes(selection);
    if (current >= 0 && current < Count()) {
        current_ = current;
        moveCurrentCell(false);
    }
    viewport()->update();
}

// ---- selection ----

int TXThumbGrid::SelectedCount() const { return int(std::count(selected_.begin(), selected_.end(), 1)); }

bool TXThumbGrid::IsSelected(int Index) const { return Index >= 0 && Index < Count() && selected_[size_t(Index)]; }

int TXThumbGrid::GetSelectedFiles(QStringList& List) const {
    List.clear();
    for (int i = 0; i < Count(); ++i)
        if (selected_[size_t(i)]) List << paths_[i];
    return int(List.size());
}

void TXThumbGrid::GetSelectedIndexes(QStringList& List) const {
    List.clear();
    for (int i = 0; i < Count(); ++i)
        if (selected_[size_t(i)]) List << QString::number(i);
}

void TXThumbGrid::SetSelectedIndexes(const QStringList& List) {
    clearSelection();
    for (const QString& entry : List) {
        bool ok = false;
        const int index = entry.trimmed().toInt(&ok);
        if (ok && index >= 0 && index < Count()) select(index, false);
    }
    viewport()->update();
}

void TXThumbGrid::GoToIndex(int Index) {
    if (Index < 0 || Index >= Count()) return;
    current_ = Index;
    moveCurrentCell(true);
    viewport()->update();
}

void TXThumbGrid::clearSelection() {
    std::fill(selected_.begin(), selected_.end(), 0);
    std::fill(selectedByStep_.begin(), selectedByStep_.end(), 0);
}

void TXThumbGrid::select(int Index, bool ByStep) {
    if (Index < 0 || Index >= Count()) return;
    selected_[size_t(Index)] = 1;
    if (ByStep) selectedByStep_[size_t(Index)] = 1;
}

void TXThumbGrid::moveCurrentCell(bool Scroll) {
    if (current_ < 0) return;
    const int columns = std::max(1, columnCount());
    const QModelIndex cell = model()->index(current_ / columns, current_ % columns);
    selectionModel()->setCurrentIndex(cell, QItemSelectionModel::NoUpdate);
    if (Scroll) scrollTo(cell);
}

QModelIndex TXThumbGrid::moveCursor(CursorAction, Qt::KeyboardModifiers) {
    if (current_ < 0) return currentIndex();
    const int columns = std::max(1, columnCount());
    return model()->index(current_ / columns, current_ % columns);
}

int TXThumbGrid::itemAt(const QPoint& Position) const {
    const QModelIndex cell = indexAt(Position);
    if (!cell.isValid()) return -1;
    const int index = indexOf(cell.column(), cell.row());
    return index < Count() ? index : -1;
}

void TXThumbGrid::mouseDownStep(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, const QPoint& Position,
                                bool FromMouse) {
    if (Count() == 0) return;
    const int item = FromMouse ? itemAt(Position) : current_;
    pressHitNothing_ = item < 0 || item >= Count();
    if (pressHitNothing_) return;
    previous_ = current_;
    current_ = item;
    selectedAtPress_ = selected_[size_t(item)];
    if (!(Modifiers & Qt::ShiftModifier)) anchor_ = current_;
    const bool keepsSelection = Button == Qt::RightButton && selectedAtPress_;
    if (!keepsSelection) {
        const bool plainClickOnUnselected =
            !selectedAtPress_ && !(Modifiers & (Qt::ShiftModifier | Qt::ControlModifier)) && FromMouse;
        if (!MultipleSelect || plainClickOnUnselected) clearSelection();
    }
    select(item, false);
    moveCurrentCell(false);
    viewport()->update();
}

void TXThumbGrid::mouseUpStep(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, bool FromMouse) {
    if (pressHitNothing_ || Count() == 0 || current_ < 0 || current_ >= Count()) return;
    const int item = current_;
    const bool ctrl = Modifiers & Qt::ControlModifier, shift = Modifiers & Qt::ShiftModifier;
    if (MultipleSelect && (ctrl || shift)) {
        if (ctrl) {
            select(item, true);
            if (FromMouse && selectedAtPress_) {  // Ctrl-click on a selected item takes it away
                selected_[size_t(item)] = 0;
                selectedByStep_[size_t(item)] = 0;
            }
        }
        if (shift) {
            // Shift alone replaces the earlier range; with Ctrl the range is added to what is there.
            if (!ctrl)
                for (int i = 0; i < Count(); ++i)
                    if (selectedByStep_[size_t(i)]) selected_[size_t(i)] = selectedByStep_[size_t(i)] = 0;
            const int anchor = std::clamp(anchor_, 0, Count() - 1);
            for (int i = std::min(anchor, item); i <= std::max(anchor, item); ++i) select(i, true);
        }
    } else if (selectedAtPress_ || !FromMouse) {
        if (Button != Qt::RightButton) clearSelection();
        select(item, false);
    }
    moveCurrentCell(false);
    viewport()->update();
}

void TXThumbGrid::mousePressEvent(QMouseEvent* Event) {
    // Qt's own press handling would move the cursor and start its selection; the grid's steps
    // replace it.
    const QPoint position = Event->position().toPoint();
    mouseDownStep(Event->button(), Event->modifiers(), position, true);
    emit MouseDown(Event->button(), Event->modifiers(), position);
}

void TXThumbGrid::mouseReleaseEvent(QMouseEvent* Event) {
    const QPoint position = Event->position().toPoint();
    mouseUpStep(Event->button(), Event->modifiers(), true);
    emit MouseUp(Event->button(), Event->modifiers(), position);
}

void TXThumbGrid::mouseMoveEvent(QMouseEvent* Event) {
    emit MouseMove(Event->buttons(), Event->modifiers(), Event->position().toPoint());
}

void TXThumbGrid::mouseDoubleClickEvent(QMouseEvent* Event) {
    // The second press of a double click is a press like the first.
    const QPoint position = Event->position().toPoint();
    mouseDownStep(Event->button(), Event->modifiers(), position, true);
    emit MouseDown(Event->button(), Event->modifiers(), position);
    if (Event->button() == Qt::LeftButton) emit DblClick();
}

// ---- keys ----

namespace {
bool isNavigationKey(int key) {
    switch (key) {
    case Qt::Key_PageUp:
    case Qt::Key_PageDown:
    case Qt::Key_End:
    case Qt::Key_Home:
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: return true;
    default: return false;
    }
}
}  // namespace

int TXThumbGrid::keyTarget(int Key) const {
    const int columns = std::max(1, columnCount());
    const int rows = rowCount();
    const int column = current_ % columns, row = current_ / columns;
    const int visibleRows = std::max(1, viewport()->height() / std::max(1, verticalHeader()->defaultSectionSize()));
    const int page = (visibleRows - 1) * columns;
    int targetColumn = column, targetRow = row;
    switch (Key) {
    case Qt::Key_PageUp: return std::max(0, current_ - page);
    case Qt::Key_PageDown: return std::min(Count() - 1, current_ + page);
    case Qt::Key_End: return Count() - 1;
    case Qt::Key_Home: return 0;
    case Qt::Key_Left: return current_ - 1;   // the first column goes on at the end of the row above
    case Qt::Key_Right: return current_ + 1;  // the last column goes on at the start of the row below
    case Qt::Key_Up:
        if (row > 0) --targetRow;
        else {
            --targetColumn;
            targetRow = rows - 1;
        }
        break;
    case Qt::Key_Down:
        if (row < rows - 1) ++targetRow;
        else {
            ++targetColumn;
            targetRow = 0;
        }
        break;
    default: return -1;
    }
    if (targetColumn < 0 || targetColumn >= columns || targetRow < 0 || targetRow >= rows) return -1;
    return indexOf(targetColumn, targetRow);
}

void TXThumbGrid::keyPressEvent(QKeyEvent* Event) {
    if (DisableComponentKeyEventHandling || !isNavigationKey(Event->key())) {
        QWidget::keyPressEvent(Event);  // passed on to the form
        return;
    }
    Event->accept();
    if (Count() == 0 || current_ < 0) return;
    const int target = keyTarget(Event->key());
    if (target < 0 || target >= Count()) return;
    current_ = target;
    moveCurrentCell(true);
    mouseDownStep(Qt::LeftButton, Event->modifiers(), QPoint(-1, -1), false);
}

void TXThumbGrid::keyReleaseEvent(QKeyEvent* Event) {
    if (DisableComponentKeyEventHandling || !isNavigationKey(Event->key())) {
        QWidget::keyReleaseEvent(Event);
        return;
    }
    Event->accept();
    // Shift adds the reached item to the selection; otherwise it becomes the only one.
    const Qt::KeyboardModifiers modifiers =
        (Event->modifiers() & Qt::ShiftModifier) ? Qt::ControlModifier : Qt::NoModifier;
    mouseUpStep(Qt::LeftButton, modifiers, false);
}
