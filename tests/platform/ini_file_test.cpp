#include "platform/ini_file.h"
#include "tests/common/temp_data_dir.h"

#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

using platform::IniFile;
using testing_support::TempDataDir;

TEST(IniFile, MissingFileReadsAsEmpty) {
    TempDataDir dir;
    IniFile ini(dir.file("none.ini"));
    EXPECT_EQ(ini.readString("General", "Name", "dflt"), "dflt");
    EXPECT_TRUE(ini.readSection("General").isEmpty());
    EXPECT_TRUE(ini.readSections().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file("none.ini")));  // reading creates nothing
}

TEST(IniFile, NamesMatchWithoutCaseAndValuesAreTrimmed) {
    TempDataDir dir;
    dir.write("a.ini", "; comment\r\n[General]\r\n  Name =  My Site  \r\nPath=\"%\\Site_1\\\"\r\n");
    IniFile ini(dir.file("a.ini"));
    EXPECT_EQ(ini.readString("GENERAL", "name", ""), "My Site");
    EXPECT_EQ(ini.readString("general", "PATH", ""), "%\\Site_1\\");  // one pair of quotes dropped
    EXPECT_TRUE(ini.valueExists("General", "NAME"));
    EXPECT_FALSE(ini.valueExists("General", "Other"));
}

TEST(IniFile, WritesKeepOrderAndReachTheDiskAtOnce) {
    TempDataDir dir;
    IniFile ini(dir.file("b.ini"));
    ini.writeString("Sites", "Site_2", "Two");
    ini.writeString("Sites", "Site_1", "One");
    ini.writeString("Other", "x", "1");
    ini.writeString("SITES", "site_2", "Zwei");  // replaces in place, keeps the key's position
    EXPECT_EQ(ini.readSection("Sites"), (QStringList{"Site_2", "Site_1"}));
    EXPECT_EQ(IniFile(dir.file("b.ini")).readString("Sites", "Site_2", ""), "Zwei");
    EXPECT_EQ(ini.readSections(), (QStringList{"Sites", "Other"}));
    EXPECT_EQ(dir.read("b.ini"), QByteArray("[Sites]\r\nSite_2=Zwei\r\nSite_1=One\r\n\r\n[Other]\r\nx=1\r\n"));
}

TEST(IniFile, EraseSectionAndDeleteKey) {
    TempDataDir dir;
    IniFile ini(dir.file("c.ini"));
    ini.writeString("A", "k1", "1");
    ini.writeString("A", "k2", "2");
    ini.writeString("B", "k", "3");
    ini.deleteKey("a", "K1");
    EXPECT_EQ(ini.readSection("A"), QStringList{"k2"});
    ini.eraseSection("A");
    EXPECT_FALSE(ini.sectionExists("A"));
    EXPECT_EQ(ini.readString("B", "k", ""), "3");
    ini.deleteKey("Missing", "k");  // nothing to do, no failure
    EXPECT_EQ(ini.readSectionValues("B"), QStringList{"k=3"});
}

TEST(IniFile, IntegersFallBackWhenTheyDoNotParse) {
    TempDataDir dir;
    dir.write("d.ini", "[N]\nplain=42\nneg=-7\nhex=$1F\nbad=12abc\nempty=\n");
    IniFile ini(dir.file("d.ini"));
    EXPECT_EQ(ini.readInteger("N", "plain", 0), 42);
    EXPECT_EQ(ini.readInteger("N", "neg", 0), -7);
    EXPECT_EQ(ini.readInteger("N", "hex", 0), 31);
    EXPECT_EQ(ini.readInteger("N", "bad", 20), 20);
    EXPECT_EQ(ini.readInteger("N", "empty", 20), 20);
    EXPECT_EQ(ini.readInteger("N", "missing", 5), 5);
}

TEST(IniFile, AWriteThatCannotReachTheDiskRaises) {
    TempDataDir dir;
    IniFile ini(dir.file("no/such/dir/e.ini"));
    EXPECT_THROW(ini.writeString("S", "k", "v"), platform::IniWriteError);
}

TEST(IniFile, BooleanRules) {
    EXPECT_TRUE(platform::onUnlessFalse("yes"));
    EXPECT_FALSE(platform::onUnlessFalse(" false "));
    EXPECT_TRUE(platform::onOnlyIfTrue("tRuE"));
    EXPECT_FALSE(platform::onOnlyIfTrue("1"));
    EXPECT_EQ(platform::boolText(true), "True");
}
