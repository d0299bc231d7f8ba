#include "tests/common/temp_data_dir.h"

#include "platform/file_ops.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace testing_support {

TempDataDir::TempDataDir() : path_(dir_.path() + "/") { platform::setExecutableDirectoryForTesting(path_); }

TempDataDir::~TempDataDir() { platform::setExecutableDirectoryForTesting(QString()); }

QString TempDataDir::write(const QString& relative, const QByteArray& content) const {
    const QString full = path_ + relative;
    QDir().mkpath(QFileInfo(full).absolutePath());
    QFile f(full);
    if (f.open(QIODevice::WriteOnly)) f.write(content);
    return full;
}

QByteArray TempDataDir::read(const QString& relative) const {
    QFile f(path_ + relative);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

}  // namespace testing_support
