#pragma once
// Radio buttons in a group box read and set as one item index.
#include <QGroupBox>
#include <QList>
#include <QStringList>

class QButtonGroup;
class QRadioButton;

class TRadioGroup : public QGroupBox {
    Q_OBJECT
public:
    TRadioGroup(const QString& caption, const QStringList& items, QWidget* parent = nullptr);
    int ItemIndex() const;
    // An index outside the items clears the choice.
    void setItemIndex(int index);
    QList<QRadioButton*> Buttons;

signals:
    void itemIndexChanged(int index);

private:
    QButtonGroup* group_;
};
