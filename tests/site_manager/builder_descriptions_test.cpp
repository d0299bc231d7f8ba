#include "site_manager/builder/descriptions.h"

#include "platform/ini_file.h"
#include "site_manager/builder/display_names.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace {

TEST(BuilderDescriptions, TextFileIsConvertedIntoATemporaryIniOfItsOwnThatGoesWithTheSource) {
    testing_support::TempDataDir dir;
    const QString text = dir.write("desc.csv", "sunset.jpg,Evening at the lake, June\r\nno comma here\r\nbeach.jpg,Sand\r\n");
    auto source = prepareDescriptionFile(text);
    ASSERT_TRUE(source.has_value());
    EXPECT_TRUE(source->Temporary);
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"desc.csv"});  // nothing beside it
    QFile ini(source->IniPath);
    ASSERT_TRUE(ini.open(QIODevice::ReadOnly));
    EXPECT_EQ(ini.readAll(), QByteArray("[Descriptions]\r\nsunset.jpg=Evening at the lake, June\r\n"
                                        "no comma here\r\nbeach.jpg=Sand\r\n"));

    BuildSettings settings;
    settings.RotationDirectory = dir.path();
    settings.Filename_Display = FilenameDisplay::Description;
    settings.MaxFilenameLength = 10;  // descriptions are never shortened
    EXPECT_EQ(GetDisplayFilename(settings, "sunset.jpg", source->IniPath), "Evening at the lake, June");
    EXPECT_EQ(GetDisplayFilename(settings, "beach.jpg", source->IniPath), "Sand");
    // No description: the full file name, unless the option is off.
    EXPECT_EQ(GetDisplayFilename(settings, "VeryLongPictureName.jpg", source->IniPath), "VeryLongPictureName.jpg");
    settings.chkShowFIlenameWhenNoDesc = false;
    EXPECT_EQ(GetDisplayFilename(settings, "VeryLongPictureName.jpg", source->IniPath), "");

    const QString iniPath = source->IniPath;
    source.reset();
    EXPECT_FALSE(QFile::exists(iniPath));
}

TEST(BuilderDescriptions, IniFileIsUsedAsItIsAndFullPathKeysAreFound) {
    testing_support::TempDataDir dir;
    BuildSettings settings;
    settings.RotationDirectory = dir.path() + "rotation";
    const QString ini = dir.write("Descriptions.INI", ("[Descriptions]\r\nplain.jpg=By name\r\n" +
                                                       dir.path() + "rotation/full.jpg=By path\r\n")
                                                          .toUtf8());
    const auto source = prepareDescriptionFile(ini);
    ASSERT_TRUE(source.has_value());
    EXPECT_FALSE(source->Temporary);
    EXPECT_EQ(source->IniPath, ini);
    EXPECT_EQ(LookupDescription(settings, ini, "plain.jpg"), "By name");
    EXPECT_EQ(LookupDescription(settings, ini, "full.jpg"), "By path");
}

TEST(BuilderDescriptions, TheTableAnswersAsTheIniFileDoesForEveryKey) {
    testing_support::TempDataDir dir;
    const QString ini = dir.write("d.ini", "[Other]\r\nsame.jpg=Wrong section\r\n[Descriptions]\r\n"
                                           "Same.JPG=First\r\nsame.jpg=Second\r\nspaced.jpg = Padded \r\n"
                                           "empty.jpg=\r\n[More]\r\nlate.jpg=Elsewhere\r\n");
    const DescriptionTable table(ini);
    BuildSettings settings;
    settings.chkShowFIlenameWhenNoDesc = false;
    for (const QString& name : {"same.jpg", "SAME.jpg", "spaced.jpg", "empty.jpg", "late.jpg", "none.jpg"})
        EXPECT_EQ(LookupDescription(settings, table, name), platform::IniFile(ini).readString("Descriptions", name, ""))
            << name.toStdString();
    EXPECT_EQ(table.value("same.jpg"), "First");
    EXPECT_EQ(DescriptionTable().value("same.jpg"), "");
}

// A description file saved by Windows in Windows-1252 reads with its accents and quotes.
TEST(BuilderDescriptions, Windows1252TextFileKeepsItsAccentsAndQuotes) {
    testing_support::TempDataDir dir;
    const auto source =
        prepareDescriptionFile(dir.write("desc.txt", QByteArray("lac.jpg,Tom\x92s lac \xe0 l'aube\r\n")));
    ASSERT_TRUE(source.has_value());
    EXPECT_EQ(LookupDescription(BuildSettings(), source->IniPath, "lac.jpg"), QString::fromUtf8("Tom’s lac à l'aube"));
}

TEST(BuilderDescriptions, FileWithoutEntriesAsksWhetherToBuild) {
    testing_support::TempDataDir dir;
    const QString text = dir.write("notes.txt", "just words\r\n");
    {
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::No);
        EXPECT_FALSE(prepareDescriptionFile(text).has_value());
        EXPECT_EQ(script.lastText(), "No valid entries were found in the file, " + text +
                                         ".  Do you still want to build this Site?");
        EXPECT_EQ(script.requests().back().kind, platform::MessageKind::Warning);
    }
    {
        testing_support::MessageScript script;
        script.answer(platform::MessageResult::Yes);
        const auto source = prepareDescriptionFile(text);
        ASSERT_TRUE(source.has_value());
        EXPECT_EQ(QFileInfo(source->IniPath).size(), 0);  // nothing written: every lookup finds nothing
        BuildSettings settings;
        settings.chkShowFIlenameWhenNoDesc = false;
        EXPECT_EQ(LookupDescription(settings, source->IniPath, "a.jpg"), "");
    }
    // An empty or missing file fails without a question.
    EXPECT_FALSE(prepareDescriptionFile(dir.write("empty.csv", "")).has_value());
    EXPECT_FALSE(prepareDescriptionFile(dir.file("missing.csv")).has_value());
}

TEST(BuilderDescriptions, DisplayNamesAreShortenedToMaxFilenameLength) {
    BuildSettings settings;
    settings.MaxFilenameLength = 10;
    EXPECT_EQ(GetDisplayFilename(settings, "MyPrettyPicture.jpg", ""), "MyPrett...");
    settings.MaxFilenameLength = 15;
    EXPECT_EQ(GetDisplayFilename(settings, "MyPrettyPicture.jpg", ""), "MyPrettyPicture");
    settings.Filename_Display = FilenameDisplay::WithExtension;
    EXPECT_EQ(GetDisplayFilename(settings, "MyPrettyPicture.jpg", ""), "MyPrettyPict...");
    settings.MaxFilenameLength = 999;
    EXPECT_EQ(GetDisplayFilename(settings, "MyPrettyPicture.jpg", ""), "MyPrettyPicture.jpg");
    settings.Filename_Display = FilenameDisplay::Nothing;
    EXPECT_EQ(GetDisplayFilename(settings, "MyPrettyPicture.jpg", ""), "");
    // File names are text in the page, whatever characters they hold.
    settings.Filename_Display = FilenameDisplay::WithExtension;
    EXPECT_EQ(GetDisplayFilename(settings, "<b>Tom & \"Jo\"</b>.jpg", ""), "&lt;b&gt;Tom &amp; &quot;Jo&quot;&lt;/b&gt;.jpg");
    settings.Filename_Display = FilenameDisplay::WithoutExtension;
    EXPECT_EQ(GetDisplayFilename(settings, "a<b.jpg", ""), "a&lt;b");
    EXPECT_EQ(TruncateDisplayName("abcdefghij", 10), "abcdefghij");
    EXPECT_EQ(TruncateDisplayName("abcdefghijk", 10), "abcdefg...");
}

}  // namespace
