#include "components/radio_group.h"

#include <QButtonGroup>
#include <QRadioButton>
#include <QVBoxLayout>

TRadioGroup::TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent)
    : QGroupBox(caption, parent), group_(new QButtonGroup(this)) {
    auto* layout = new QVBoxLayout(this);
    for (int i = 0; i < items.size(); ++i) {
        auto* button = new QRadioButton(items[i]);
        group_->addButton(button, i);
        layout->addWidget(button);
        Buttons << button;
    }
    connect(group_, &QButtonGroup::idToggled, this, [this](int id, bool checked) {
        if (checked) emit itemIndexChanged(id);
    });
}

int TRadioGroup::ItemIndex() const { return group_->checkedId(); }

void TRadioGroup::setItemIndex(int index) {
    if (index >= 0 && index < Buttons.size()) {
        Buttons[index]->setChecked(true);
        return;
    }
    // An exclusive group cannot be emptied while exclusive.
    group_->setExclusive(false);
    for (auto* button : Buttons) button->setChecked(false);
    group_->setExclusive(true);
}
