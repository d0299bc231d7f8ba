#include "components/file_list_box.h"

#include <QDir>
#include <stdexcept>

TFileListBox::TFileListBox(QWidget* parent) : QListWidget(parent) {
    setSortingEnabled(false);
}

void TFileListBox::ApplyFilePath(const QString& directory) {
    QDir dir(directory);
    if (directory.isEmpty() || !dir.exists() || !QDir::setCurrent(dir.absolutePath()))
        throw std::runtime_error("cannot change to " + directory.toStdString());
    directory_ = dir.absolutePath();
    Update();
}

void TFileListBox::Update() {
    clear();
    if (!directory_.isEmpty()) {
        QDir dir(directory_);
        const QStringList patterns = Mask.split(';', Qt::SkipEmptyParts);
        const QStringList names =
            dir.entryList(patterns, QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
        addItems(names);
    }
    emit changed();
}

QStringList TFileListBox::fileNames() const {
    QStringList names;
    for (int i = 0; i < count(); ++i) names << item(i)->text();
    return names;
}

QStringList TFileListBox::selectedFileNames() const {
    QStringList names;
    for (int i = 0; i < count(); ++i)
        if (item(i)->isSelected()) names << item(i)->text();
    return names;
}
