#include "site_manager/builder/highlighted_moves.h"

#include <QApplication>
#include <QListWidget>

#include <vector>

namespace {

std::vector<int> highlightedRows(const QListWidget* list) {
    std::vector<int> rows;
    for (int row = 0; row < list->count(); ++row)
        if (list->item(row)->isSelected()) rows.push_back(row);
    return rows;
}

void moveOne(QListWidget* list, int from, int step) {
    const int count = list->count();
    if (count < 2) return;  // a lone row keeps its highlight
    list->clearSelection();
    int to = from + step;
    if (to < 0) to = count - 1;
    if (to > count - 1) to = 0;
    QListWidgetItem* item = list->takeItem(from);
    list->insertItem(to, item);
    list->setCurrentRow(to);
    if (list->currentRow() != to) QApplication::beep();
}

// Each highlighted run steps past its plain neighbour, which moves to the run's other side; so the
// highlighted items are never taken out and keep their highlight.
void moveSeveral(QListWidget* list, int step) {
    QListWidgetItem* current = list->currentItem();
    const int count = list->count();
    if (step < 0) {
        for (int row = 1; row < count; ++row) {
            if (!list->item(row)->isSelected() || list->item(row - 1)->isSelected()) continue;
            int end = row;
            while (end + 1 < count && list->item(end + 1)->isSelected()) ++end;
            list->insertItem(end, list->takeItem(row - 1));
            row = end;
        }
    } else {
        for (int row = count - 2; row >= 0; --row) {
            if (!list->item(row)->isSelected() || list->item(row + 1)->isSelected()) continue;
            int start = row;
            while (start > 0 && list->item(start - 1)->isSelected()) --start;
            list->insertItem(start, list->takeItem(row + 1));
            row = start;
        }
    }
    // Taking the current item out moves the focus frame; it goes back without touching the highlight.
    if (current) list->setCurrentItem(current, QItemSelectionModel::NoUpdate);
}

}  // namespace

void moveHighlightedRows(QListWidget* list, int step) {
    const std::vector<int> rows = highlightedRows(list);
    if (rows.size() == 1)
        moveOne(list, rows.front(), step);
    else if (rows.size() > 1)
        moveSeveral(list, step);
}
