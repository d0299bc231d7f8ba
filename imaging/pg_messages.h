#pragma once
// The message table of the imaging library: 85 numbered texts in English, German, French, Dutch
// and Spanish (plus a sixth column used by one entry). "%S1".."%S3" are replaced by arguments.
#include <QString>

#include <cstdint>

struct TPGLangStrEntry {
    uint8_t Number;
    const char* Texts[6];  // English, German, French, Dutch, Spanish, sixth column (UTF-8)
};

constexpr int PGLangStrEntryCount = 85;
extern const TPGLangStrEntry PGLangStrEntries[PGLangStrEntryCount];

// Column of the table used for every text: 0 English (default), 1 German, 2 French, 3 Dutch,
// 4 Spanish, 5 the sixth column.
extern uint8_t MessageLanguage;

// Text of message Number in the column MessageLanguage; empty for a language above 5 or an
// unknown number.
QString GetMessageText(int Number);
QString FormatMessage1(int Number, const QString& S1);
QString FormatMessage2(int Number, const QString& S1, const QString& S2);
QString FormatMessage3(int Number, const QString& S1, const QString& S2, const QString& S3);

// 1, 4, 8, 24 -> pixel formats 0..3; anything else raises EPGInvalidBitCountNum.
int BitCountToPixelFormat(int BitCount);

// Base ^ Exponent: 1 for exponent 0, 0 for base 0, 1 for base 1; a negative base raises
// EPixelGraphic "Invalid Argument".
long double Power(long double Base, long double Exponent);

// Raises EPixelGraphic when an entry's number differs from its position (start-up check).
void CheckMessageTable();
