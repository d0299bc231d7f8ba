#pragma once
// Editing a page header or footer: the HTML used on every page is typed in, or the list file that
// holds one entry per page is chosen. Used by the site editor and the layout settings.
class QLineEdit;
class QWidget;

enum class HeaderFooterChoice { SameOnAllPages, DifferentOnEachPage };

// Changes html (SameOnAllPages) or file (DifferentOnEachPage) unless the user cancels.
void editHeaderOrFooter(QWidget* owner, bool header, HeaderFooterChoice choice, QLineEdit* html, QLineEdit* file);
