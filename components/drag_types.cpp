#include "components/drag_types.h"

Qt::DropAction actionOf(TDragType type) {
    switch (type) {
    case TDragType::dtCopy: return Qt::CopyAction;
    case TDragType::dtMove: return Qt::MoveAction;
    case TDragType::dtLink: return Qt::LinkAction;
    }
    return Qt::IgnoreAction;
}

TDragTypes::TDragTypes(std::initializer_list<TDragType> types) {
    for (TDragType type : types) actions_ |= actionOf(type);
}
