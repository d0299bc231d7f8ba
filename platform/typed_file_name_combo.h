#pragma once
// Editable combo boxes whose text is a file or path name. File names are case-sensitive here, so
// such a combo keeps exactly what the user typed: its items are still offered in a list while
// typing, but leaving the combo or pressing Enter never swaps the text for an item that differs
// only in case, and no item's tail is completed into the text.
class QComboBox;

namespace platform {

// Call once the combo is editable (and again if its line edit is replaced).
void keepTypedFileName(QComboBox* combo);

}  // namespace platform
