#pragma once
// Up and Down beside a list: they move the highlighted rows, never a row the user cannot see chosen.
class QListWidget;

// Moves the highlighted rows by step (-1 up, +1 down). One highlighted row moves round from one
// end to the other. Several move together, keeping their order and highlight; a block that already
// stands at the end it moves towards stays there while the others close up to it.
void moveHighlightedRows(QListWidget* list, int step);
