#include "site_manager/builder/colour_combo.h"

#include "site_manager/builder/thumb_options_dialog.h"

#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QStyledItemDelegate>

namespace {

constexpr int kSwatchRole = Qt::UserRole;

QColor toQColor(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

// Draws the palette entries of the drop-down list as colour swatches.
class SwatchDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        const QVariant swatch = index.data(kSwatchRole);
        if (!swatch.isValid()) {
            QStyledItemDelegate::paint(painter, option, index);
            return;
        }
        QStyleOptionViewItem plain = option;
        plain.text.clear();
        QStyledItemDelegate::paint(painter, plain, index);  // selection highlight
        const QRect box = option.rect.adjusted(3, 2, -3, -2);
        painter->fillRect(box, toQColor(swatch.toUInt()));
        painter->setPen(option.palette.color(QPalette::Text));
        painter->drawRect(box.adjusted(0, 0, -1, -1));
    }
};

}  // namespace

TColourCombo::TColourCombo(QWidget* parent) : QComboBox(parent) {
    addItem("Default Page Colour");
    for (int entry = 1; entry <= 13; ++entry) {
        addItem(QString());
        setItemData(entry, TdlgThumbOptions::Colourcode2tcolor(entry), kSwatchRole);
    }
    addItem("Other..");
    setItemDelegate(new SwatchDelegate(this));
    setCurrentIndex(0);
}

// A palette entry shows its swatch; a custom colour (index -1) shows a blank combo filled with that
// colour.
void TColourCombo::paintEvent(QPaintEvent* event) {
    const int entry = currentIndex();
    const bool swatch = entry == -1 || itemData(entry, kSwatchRole).isValid();
    if (!swatch) {
        QComboBox::paintEvent(event);
        return;
    }
    const QColor colour = entry == -1 ? toQColor(color_) : toQColor(itemData(entry, kSwatchRole).toUInt());
    QStylePainter painter(this);
    QStyleOptionComboBox option;
    initStyleOption(&option);
    option.currentText.clear();
    painter.drawComplexControl(QStyle::CC_ComboBox, option);
    const QRect box = style()->subControlRect(QStyle::CC_ComboBox, &option, QStyle::SC_ComboBoxEditField, this);
    painter.fillRect(box.adjusted(2, 2, -2, -2), colour);
}
