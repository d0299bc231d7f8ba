#pragma once
// Files as Windows programs save them: in Windows-1252, or as "Unicode" (UTF-16 LE after its byte
// order mark). Qt's converters (Windows-1252 through ICU) stand in for the Windows programs.
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <gtest/gtest.h>

namespace testing_support {

inline constexpr const char* kWindowsEncodings[] = {"windows-1252", "UTF-16LE"};

// The bytes of a whole file holding text, in one of kWindowsEncodings.
inline QByteArray windowsFile(const char* encoding, const QString& text) {
    QStringEncoder encoder(encoding);
    EXPECT_TRUE(encoder.isValid()) << encoding;
    const QByteArray bytes = encoder(text);
    EXPECT_FALSE(encoder.hasError()) << encoding << " cannot hold " << text.toStdString();
    return (QByteArray(encoding) == "UTF-16LE" ? QByteArray("\xFF\xFE") : QByteArray()) + bytes;
}

}  // namespace testing_support
