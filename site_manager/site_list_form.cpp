#include "site_manager/site_list_form.h"

#include "platform/ini_file.h"
#include "platform/window_fit.h"
#include "site_manager/selection_list_box.h"
#include "site_manager/site_record.h"
#include "site_manager/site_status_panel.h"

#include <QCloseEvent>
#include <QHash>
#include <QKeyEvent>
#include <QLabel>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QShowEvent>
#include <QStyledItemDelegate>

namespace {

// Draws each site item through the window's drawing handler.
class SiteItemDelegate : public QStyledItemDelegate {
public:
    explicit SiteItemDelegate(TSiteListForm* owner) : QStyledItemDelegate(owner), owner_(owner) {}
    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        painter->save();
        if (option.state & QStyle::State_Selected) {
            painter->fillRect(option.rect, option.palette.highlight());
            painter->setPen(option.palette.highlightedText().color());
        } else {
            painter->fillRect(option.rect, option.palette.base());
            painter->setPen(option.palette.text().color());
        }
        owner_->lbxsitesDrawItem(index.row(), *painter, option.rect);
        painter->restore();
    }

private:
    TSiteListForm* owner_;
};

}  // namespace

TSiteListForm::TSiteListForm(QWidget* parent) : QWidget(parent) {
    lbxsites = new SelectionListBox;
    lbxsites->setItemDelegate(new SiteItemDelegate(this));
    lbxsites->setUniformItemSizes(true);
    lbxsitename = new QListWidget(this);
    lbxsitename->hide();
    statusPanel = createSiteStatusPanel(lblsitename, lbllocation, lblrotationcount, lblautorotate, lbllivepath,
                                        lblcurrentrotation);
}

void TSiteListForm::showSiteStatus(bool rotationsShown) {
    if (lbxsites->currentRow() < 0 || lbxsites->selectedItems().isEmpty()) tsiterecord.key.clear();
    lbllivepath->clear();
    lblcurrentrotation->clear();
    if (tsiterecord.key.isEmpty()) {
        lblsitename->clear();
        lbllocation->clear();
        lblrotationcount->clear();
        lblautorotate->clear();
        return;
    }
    lblsitename->setText(tsiterecord.Name);
    lbllocation->setText(tsiterecord.Path);
    lblrotationcount->setText(rotationsShown ? QString::number(tsiterecord.RotationCount) : "N/A");
    if (tsiterecord.AutoRotate && rotationsShown) {
        lblautorotate->setText("Yes");
        lbllivepath->setText(tsiterecord.LivePath);
        lblcurrentrotation->setText(QString::number(tsiterecord.CurrentRotationPosition));
    } else {
        lblautorotate->setText("No");
    }
}

void TSiteListForm::rebuildSiteNameList() {
    lbxsitename->clear();
    // One read of [Sites] for all keys; the first of two equal keys counts, as on a lookup.
    QHash<QString, QString> names;
    for (const auto& [key, name] : platform::IniFile(sitesFileName()).readSectionPairs("Sites"))
        if (!names.contains(key.toCaseFolded())) names.insert(key.toCaseFolded(), name);
    QStringList shown;
    shown.reserve(lbxsites->count());
    for (int i = 0; i < lbxsites->count(); ++i) {
        const QString key = lbxsites->item(i)->text();
        shown << names.value(key.toCaseFolded(), "Error: " + key);
    }
    lbxsitename->addItems(shown);
    lbxsites->viewport()->update();
}

void TSiteListForm::lbxsitesDrawItem(int index, QPainter& painter, const QRect& rect) {
    if (lbxsitename->count() != lbxsites->count()) rebuildSiteNameList();
    const QString name = index < lbxsitename->count() ? lbxsitename->item(index)->text() : QString();
    painter.drawText(rect, Qt::AlignLeft | Qt::AlignTop, name);
}

void TSiteListForm::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!shown_ && !event->spontaneous()) {
        shown_ = true;
        FormShow();
        platform::fitToScreen(*this, platform::WindowPlacement::CentreOnScreen);
    }
}

void TSiteListForm::closeEvent(QCloseEvent* event) {
    if (!closed_) {
        closed_ = true;
        FormClose();
    }
    event->accept();
}

void TSiteListForm::keyPressEvent(QKeyEvent* event) {
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || (event->modifiers() & ~Qt::KeypadModifier) != Qt::NoModifier) {
        QWidget::keyPressEvent(event);
        return;
    }
    auto* focused = qobject_cast<QPushButton*>(focusWidget());
    if (QPushButton* pressed = buttonForEnter(focused && isAncestorOf(focused) ? focused : nullptr)) pressed->click();
}
