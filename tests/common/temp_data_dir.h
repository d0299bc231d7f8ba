#pragma once
// A throw-away data directory that stands in for the executable's directory during a test.
#include "tests/common/qt_print.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace testing_support {

class TempDataDir {
public:
    TempDataDir();   // creates the directory and points the executable directory at it
    ~TempDataDir();  // restores the real executable directory; the directory is removed

    // The directory with a trailing "/".
    QString path() const { return path_; }
    QString file(const QString& relative) const { return path_ + relative; }
    // Writes a file (creating its directories) and returns its full path.
    QString write(const QString& relative, const QByteArray& content) const;
    QByteArray read(const QString& relative) const;

private:
    QTemporaryDir dir_;
    QString path_;
};

}  // namespace testing_support
