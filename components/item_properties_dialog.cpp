#include "components/item_properties_dialog.h"

#include <QDateTime>
#include <QDirIterator>
#include <QFileInfo>
#include <QFormLayout>
#include <QLabel>
#include <QLocale>
#include <QMimeDatabase>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

QString permissionText(QFile::Permissions p) {
    QString text;
    const QFile::Permission bits[] = {QFile::ReadOwner, QFile::WriteOwner, QFile::ExeOwner,
                                      QFile::ReadGroup, QFile::WriteGroup, QFile::ExeGroup,
                                      QFile::ReadOther, QFile::WriteOther, QFile::ExeOther};
    const char letters[] = "rwxrwxrwx";
    for (int i = 0; i < 9; ++i) text += (p & bits[i]) ? QChar(letters[i]) : QChar('-');
    return text;
}

QString sizeText(const QFileInfo& info) {
    if (info.isDir()) {
        int entries = 0;
        for (QDirIterator it(info.filePath(), QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
             it.hasNext(); it.next())
            ++entries;
        return QString("%1 items").arg(entries);
    }
    return QString("%1 (%2 bytes)").arg(QLocale().formattedDataSize(info.size())).arg(info.size());
}

QLabel* selectable(const QString& text) {
    auto* label = new QLabel(text);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    return label;
}

}  // namespace

TItemPropertiesDialog::TItemPropertiesDialog(const platform::shell::Item& item, QWidget* parent)
    : platform::ModalDialog(parent) {
    const QFileInfo info(item.path);
    setWindowTitle(QString("%1 Properties").arg(item.name));
    lblName = selectable(item.name);
    lblType = selectable(QMimeDatabase().mimeTypeForFile(info).comment());
    lblLocation = selectable(info.absolutePath());
    lblSize = selectable(sizeText(info));
    lblModified = selectable(QLocale().toString(info.lastModified(), QLocale::LongFormat));
    lblPermissions = selectable(permissionText(info.permissions()));
    auto* form = new QFormLayout;
    form->addRow("Name:", lblName);
    form->addRow("Type:", lblType);
    form->addRow("Location:", lblLocation);
    form->addRow(info.isDir() ? "Contents:" : "Size:", lblSize);
    form->addRow("Modified:", lblModified);
    form->addRow("Permissions:", lblPermissions);
    auto* ok = new QPushButton("OK");
    ok->setDefault(true);
    connect(ok, &QPushButton::clicked, this, [this] { closeWithResult(platform::mrOk); });
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addLayout(buttonRow({ok}));
}
