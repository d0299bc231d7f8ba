#include "site_manager/builder/colour_combo.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>

TColourCombo::TColourCombo(QWidget* parent) : QComboBox(parent) {}

// A custom colour (index -1) shows as a blank combo filled with that colour.
void TColourCombo::paintEvent(QPaintEvent* event) {
    if (currentIndex() != -1) {
        QComboBox::paintEvent(event);
        return;
    }
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect box = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(box.adjusted(2, 2, -2, -2),
                     QColor(color_ & 0xFF, (color_ >> 8) & 0xFF, (color_ >> 16) & 0xFF));
}
