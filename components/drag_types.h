#pragma once
// Kinds of drag and drop shared by the file drag source and the file drop target. A set of kinds
// maps onto Qt's drop actions bit for bit (copy 1, move 2, link 4), as the drop effects do.
#include <Qt>
#include <initializer_list>

enum class TDragType { dtCopy, dtMove, dtLink };

// The outcome of a drag started by a drag source.
enum class TDragResult { drCopy, drMove, drLink, drCancel, drOutOfMemory, drUnknown };

// A drop effect: a mask of Qt::DropAction bits; 0 means no drop. A handler may set several bits,
// which then count as no single effect.
using DropEffect = int;

Qt::DropAction actionOf(TDragType type);

class TDragTypes {
public:
    TDragTypes() = default;
    TDragTypes(std::initializer_list<TDragType> types);

    bool contains(TDragType type) const { return actions_.testFlag(actionOf(type)); }
    bool isEmpty() const { return actions_ == Qt::IgnoreAction; }
    Qt::DropActions actions() const { return actions_; }

private:
    Qt::DropActions actions_;
};
