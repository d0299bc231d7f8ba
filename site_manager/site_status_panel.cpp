#include "site_manager/site_status_panel.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <utility>

QGroupBox* createSiteStatusPanel(QLabel*& lblsitename, QLabel*& lbllocation, QLabel*& lblrotationcount,
                                 QLabel*& lblautorotate, QLabel*& lbllivepath, QLabel*& lblcurrentrotation) {
    lblsitename = new QLabel;
    QFont bold = lblsitename->font();
    bold.setBold(true);
    lblsitename->setFont(bold);
    lbllocation = new QLabel;
    lblrotationcount = new QLabel;
    lblautorotate = new QLabel;
    lbllivepath = new QLabel;
    lblcurrentrotation = new QLabel;
    auto* statusGroup = new QGroupBox("Site Status");
    auto* statusLayout = new QGridLayout(statusGroup);
    const std::pair<const char*, QLabel*> rows[] = {
        {"Site Name:", lblsitename},           {"Location:", lbllocation},
        {"No. of Rotations:", lblrotationcount}, {"Auto Rotate:", lblautorotate},
        {"Copy Rotation to:", lbllivepath},     {"Next Rotation to copy:", lblcurrentrotation}};
    int row = 0;
    for (const auto& [caption, value] : rows) {
        statusLayout->addWidget(new QLabel(caption), row, 0);
        statusLayout->addWidget(value, row++, 1);
    }
    statusLayout->setColumnStretch(1, 1);
    return statusGroup;
}
