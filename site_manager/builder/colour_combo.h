#pragma once
// A colour combo of the layout settings: entry 0 "Default Page Colour", entries 1-13 the palette
// swatches, entry 14 "Other..". A custom colour is held with the item index -1 and the colour in
// the combo itself; the paired edit shows the chosen HTML value.
#include <QComboBox>
#include <cstdint>

class QLineEdit;

class TColourCombo : public QComboBox {
    Q_OBJECT
public:
    explicit TColourCombo(QWidget* parent = nullptr);

    // The edit beside the combo that shows "#RRGGBB" (or nothing on the default entry).
    QLineEdit* ValueEdit = nullptr;

    // The combo's own colour (0x00BBGGRR): the palette colour or the custom colour.
    std::uint32_t Color() const { return color_; }
    void setColor(std::uint32_t colour) { color_ = colour; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    std::uint32_t color_ = 0;
};
