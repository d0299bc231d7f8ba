#pragma once
// The properties of one file-system item: name, type, location, size, modification date and
// permissions. Shown through the dialog seam.
#include "platform/modal_dialog.h"
#include "platform/shell_namespace.h"

class QLabel;

class TItemPropertiesDialog : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TItemPropertiesDialog(const platform::shell::Item& item, QWidget* parent = nullptr);

    QLabel* lblName;
    QLabel* lblType;
    QLabel* lblLocation;
    QLabel* lblSize;
    QLabel* lblModified;
    QLabel* lblPermissions;
};
