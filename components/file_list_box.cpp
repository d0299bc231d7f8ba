#include "components/file_list_box.h"

#include <QDir>
#include <stdexcept>

bool matchesFileMask(const QString& fileName, const QString& mask) {
    const int dot = fileName.lastIndexOf('.');
    const QString extension = dot < 0 ? QString() : fileName.mid(dot + 1);
    for (QString pattern : mask.split(';', Qt::SkipEmptyParts)) {
        pattern = pattern.trimmed();
        if (pattern == "*.*" || pattern == "*") return true;
        if (!pattern.startsWith("*.")) {
            if (QDir::match(pattern, fileName)) return true;
            continue;
        }
        const QString wanted = pattern.mid(2);
        if (extension.compare(wanted, Qt::CaseInsensitive) == 0) return true;
        if (wanted.size() == 3 && extension.size() > 3 && extension.startsWith(wanted, Qt::CaseInsensitive))
            return true;
    }
    return false;
}

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
        const QStringList names = dir.entryList(QDir::Files | QDir::Hidden, QDir::Name | QDir::IgnoreCase);
        for (const QString& name : names)
            if (matchesFileMask(name, Mask) && (!Accept || Accept(name))) addItem(name);
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
