#pragma once
// A list box whose current item is moved with the keyboard runs its click handler, as a click on
// that item would: the arrow keys, Home, End and the page keys select as the mouse does.
#include <functional>

class QListWidget;

void runClickOnKeyboardSelection(QListWidget* list, std::function<void()> click);
