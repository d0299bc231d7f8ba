#pragma once
// The "Site Status" panel both programs show beside their site list: six captions and the labels
// that show the selected site's values.
class QGroupBox;
class QLabel;

QGroupBox* createSiteStatusPanel(QLabel*& lblsitename, QLabel*& lbllocation, QLabel*& lblrotationcount,
                                 QLabel*& lblautorotate, QLabel*& lbllivepath, QLabel*& lblcurrentrotation);
