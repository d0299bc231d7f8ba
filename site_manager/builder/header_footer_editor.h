#pragma once
// Editing a page header or footer from the site editor and the layout settings: the snippet used
// on every page goes through the snippet composer, the list file through the list editor.
class QLineEdit;
class QWidget;

enum class HeaderFooterChoice { SameOnAllPages, DifferentOnEachPage };

// Changes html (SameOnAllPages) or file (DifferentOnEachPage) unless the user cancels.
void editHeaderOrFooter(QWidget* owner, bool header, HeaderFooterChoice choice, QLineEdit* html, QLineEdit* file);
