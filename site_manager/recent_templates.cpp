#include "site_manager/recent_templates.h"

#include "platform/file_ops.h"
#include "site_manager/site_paths.h"

#include <QComboBox>
#include <stdexcept>

namespace {

void loadInto(QComboBox* combo, const QString& fileName) {
    if (!platform::fileExists(fileName)) return;
    combo->clear();
    combo->addItems(platform::readTextLines(fileName));
}

void saveFrom(const QComboBox* combo, const QString& fileName) {
    if (combo->count() == 0) return;
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    if (!platform::writeTextLines(fileName, items)) throw std::runtime_error("cannot write " + fileName.toStdString());
}

}  // namespace

void loadRecentTemplates(QComboBox* thumbnailStyles, QComboBox* imageStyles) {
    loadInto(thumbnailStyles, DataDirectory + "recent_styles.txt");
    loadInto(imageStyles, DataDirectory + "recent_image_styles.txt");
}

void saveRecentTemplates(QComboBox* thumbnailStyles, QComboBox* imageStyles) {
    saveFrom(imageStyles, DataDirectory + "recent_image_styles.txt");
    saveFrom(thumbnailStyles, DataDirectory + "recent_styles.txt");
}
