// The message table, its formatting and the small helpers of the exception family.
#include "imaging/pg_messages.h"
#include "tests/imaging/imaging_test_support.h"

#include <gtest/gtest.h>

class MessageTableTest : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
    void TearDown() override { MessageLanguage = 0; }
};

TEST_F(MessageTableTest, EveryEntryIsNumberedAndTranslated) {
    EXPECT_NO_THROW(CheckMessageTable());
    for (int i = 0; i < PGLangStrEntryCount; ++i) {
        EXPECT_EQ(PGLangStrEntries[i].Number, i);
        const bool blank = i == 0 || i == 84;
        for (int language = 0; language < 5; ++language)
            EXPECT_EQ(QString::fromUtf8(PGLangStrEntries[i].Texts[language]).isEmpty(), blank) << i << "/" << language;
        EXPECT_EQ(QString::fromUtf8(PGLangStrEntries[i].Texts[5]).isEmpty(), i != 25) << i;
    }
}

TEST_F(MessageTableTest, LanguageSelectsTheColumn) {
    EXPECT_EQ(GetMessageText(6), "Unknown file format");
    EXPECT_EQ(GetMessageText(29), "Operation aborted on user request");
    MessageLanguage = 1;
    EXPECT_EQ(GetMessageText(6), "Unbekanntes Dateiformat");
    MessageLanguage = 2;
    EXPECT_EQ(GetMessageText(29), "Opération abandonnée par l'utilisateur.");
    MessageLanguage = 3;
    EXPECT_EQ(GetMessageText(25), "Grafische bestanden");
    MessageLanguage = 4;
    EXPECT_EQ(GetMessageText(16), QString::fromUtf8("%S1 está vacío"));
    MessageLanguage = 6;
    EXPECT_TRUE(GetMessageText(6).isEmpty());
}

TEST_F(MessageTableTest, PlaceholdersAreFilledInOrder) {
    EXPECT_EQ(FormatMessage1(19, "xyz"), "Unknown file extension \"xyz\"");
    EXPECT_EQ(FormatMessage3(17, "JPEG (JFIF compliant)", "256 colors", "16.7 million colors"),
              "The graphic cannot be saved to a JPEG (JFIF compliant) file with the current color resolution "
              "(256 colors).\r\rThe graphic will be saved with a different color resolution (16.7 million colors).");
    // A placeholder inside an earlier argument is replaced by the later one.
    EXPECT_EQ(FormatMessage2(16, "a%S2b", "X"), "aXb is empty");
    // A missing placeholder is skipped.
    EXPECT_EQ(FormatMessage2(16, "list", "unused"), "list is empty");
}

TEST_F(MessageTableTest, PowerAndBitCounts) {
    EXPECT_EQ(Power(0.5L, 0), 1);
    EXPECT_EQ(Power(0, 2), 0);
    EXPECT_EQ(Power(1, 7), 1);
    EXPECT_NEAR(double(Power(2, 10)), 1024.0, 1e-9);
    try {
        Power(-1, 2);
        FAIL() << "negative base accepted";
    } catch (const EPixelGraphic& e) {
        EXPECT_EQ(e.message(), "Invalid Argument");
    }
    EXPECT_EQ(BitCountToPixelFormat(1), 0);
    EXPECT_EQ(BitCountToPixelFormat(24), 3);
    try {
        BitCountToPixelFormat(16);
        FAIL() << "16 bits accepted";
    } catch (const EPGInvalidBitCountNum& e) {
        EXPECT_EQ(e.message(), "Invalid value for BitCountNum");
    }
}
