#pragma once
// Text as Windows programs save it: in Windows-1252, or as "Unicode" (UTF-16 LE after its byte
// order mark).
#include <QByteArray>
#include <QString>
#include <QStringEncoder>
#include <algorithm>
#include <gtest/gtest.h>
#include <iterator>

namespace testing_support {

// The Windows-1252 bytes of the characters tests use (ASCII, ’ ‘ “ ” – € and the five bytes
// Windows-1252 leaves unassigned, which stand for themselves).
inline QByteArray windows1252(const QString& text) {
    const std::pair<char16_t, char> high[] = {{u'’', '\x92'}, {u'‘', '\x91'}, {u'“', '\x93'}, {u'”', '\x94'},
                                              {u'–', '\x96'}, {u'€', '\x80'}, {0x81, '\x81'}, {0x8D, '\x8D'},
                                              {0x8F, '\x8F'}, {0x90, '\x90'}, {0x9D, '\x9D'}};
    QByteArray bytes;
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            bytes += char(ch.unicode());
            continue;
        }
        const auto* found = std::find_if(std::begin(high), std::end(high), [&](auto p) { return p.first == ch; });
        EXPECT_NE(found, std::end(high)) << "no byte for U+" << std::hex << int(ch.unicode());
        if (found != std::end(high)) bytes += found->second;
    }
    return bytes;
}

inline QByteArray utf16LE(const QString& text) {
    QStringEncoder encoder(QStringConverter::Utf16LE);
    return encoder(text);
}

inline const QByteArray kUtf16LEMark("\xFF\xFE");

// The two forms in which Windows programs save the files of these programs.
struct WindowsTextForm {
    const char* name;
    QByteArray byteOrderMark;
    QByteArray (*encode)(const QString&);
    QByteArray file(const QString& text) const { return byteOrderMark + encode(text); }
};
inline const WindowsTextForm kWindowsTextForms[] = {{"Windows-1252", "", windows1252},
                                                    {"UTF-16 LE", kUtf16LEMark, utf16LE}};

}  // namespace testing_support
