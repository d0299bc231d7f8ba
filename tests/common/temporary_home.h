// A fresh, empty home folder for one test: HOME points into it while the object lives.
#pragma once

#include <QFile>
#include <QTemporaryDir>

namespace testing_support {

class TemporaryHome {
public:
    TemporaryHome() { qputenv("HOME", QFile::encodeName(dir_.path())); }
    ~TemporaryHome() { qputenv("HOME", saved_); }
    TemporaryHome(const TemporaryHome&) = delete;
    TemporaryHome& operator=(const TemporaryHome&) = delete;

    QString path() const { return dir_.path(); }
    QString filePath(const QString& name) const { return dir_.filePath(name); }

private:
    QByteArray saved_ = qgetenv("HOME");
    QTemporaryDir dir_;
};

}  // namespace testing_support
