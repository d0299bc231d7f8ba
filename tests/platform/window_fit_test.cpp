// A dialog is fitted to its contents at each showing, but a size the user gave it stays.
#include "platform/modal_dialog.h"

#include <QLabel>
#include <QVBoxLayout>
#include <gtest/gtest.h>

TEST(WindowFit, ASizeTheUserGaveIsKeptAtTheNextShowing) {
    platform::ModalDialog dialog;
    (new QVBoxLayout(&dialog))->addWidget(new QLabel("Some text"));
    dialog.show();
    const QSize fitted = dialog.size();
    dialog.hide();
    dialog.resize(fitted + QSize(40, 30));
    dialog.show();
    EXPECT_EQ(dialog.size(), fitted + QSize(40, 30));
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.size(), fitted + QSize(40, 30));
}
