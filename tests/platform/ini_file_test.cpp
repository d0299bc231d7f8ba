#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "tests/common/temp_data_dir.h"
#include "tests/common/windows_text.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <atomic>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>
#include <time.h>
#include <gtest/gtest.h>

using platform::IniFile;
using testing_support::TempDataDir;

namespace {

// A file as a Windows editor saves it as "Unicode".
QByteArray unicodeFile(const char* text) { return testing_support::windowsFile("UTF-16LE", QString::fromUtf8(text)); }

}  // namespace

TEST(IniFile, MissingFileReadsAsEmptyAndNamesMatchWithoutCase) {
    TempDataDir dir;
    IniFile none(dir.file("none.ini"));
    EXPECT_EQ(none.readString("General", "Name", "dflt"), "dflt");
    EXPECT_TRUE(none.readSection("General").isEmpty());
    EXPECT_TRUE(none.readSections().isEmpty());
    EXPECT_FALSE(QFileInfo::exists(dir.file("none.ini")));  // reading creates nothing

    dir.write("a.ini", "; comment\r\n[General]\r\n  Name =  My Site  \r\nPath=\"%\\Site_1\\\"\r\n");
    IniFile ini(dir.file("a.ini"));
    EXPECT_EQ(ini.readString("GENERAL", "name", ""), "My Site");
    EXPECT_EQ(ini.readString("general", "PATH", ""), "%\\Site_1\\");  // one pair of quotes dropped
    EXPECT_TRUE(ini.valueExists("General", "NAME"));
    EXPECT_FALSE(ini.valueExists("General", "Other"));
}

TEST(IniFile, WritesKeepOrderAndReachTheDiskAtOnceErasesAndDeletesToo) {
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

    // Erasing a section and deleting a key.
    IniFile c(dir.file("c.ini"));
    c.writeString("A", "k1", "1");
    c.writeString("A", "k2", "2");
    c.writeString("B", "k", "3");
    c.deleteKey("a", "K1");
    EXPECT_EQ(c.readSection("A"), QStringList{"k2"});
    c.eraseSection("A");
    EXPECT_FALSE(c.sectionExists("A"));
    EXPECT_EQ(c.readString("B", "k", ""), "3");
    c.deleteKey("Missing", "k");  // nothing to do, no failure
    EXPECT_EQ(c.readSectionValues("B"), QStringList{"k=3"});
}

TEST(IniFile, IntegersAndBooleans) {
    TempDataDir dir;
    dir.write("d.ini", "[N]\nplain=42\nneg=-7\nhex=$1F\nbad=12abc\nempty=\n");
    IniFile ini(dir.file("d.ini"));
    // An integer that does not parse falls back to the default.
    const std::pair<const char*, int> cases[] = {{"plain", 42}, {"neg", -7}, {"hex", 31}, {"bad", 20}, {"empty", 20}, {"missing", 20}};
    for (const auto& [key, value] : cases) EXPECT_EQ(ini.readInteger("N", key, 20), value) << key;
    EXPECT_TRUE(platform::onUnlessFalse("yes"));
    EXPECT_FALSE(platform::onUnlessFalse(" false "));
    EXPECT_TRUE(platform::onOnlyIfTrue("tRuE"));
    EXPECT_FALSE(platform::onOnlyIfTrue("1"));
    EXPECT_EQ(platform::boolText(true), "True");
}

// A write that fails raises and leaves the file whole and as it was, with no stray file beside it.
TEST(IniFile, AFailedWriteLeavesTheFileWhole) {
    TempDataDir dir;
    EXPECT_THROW(IniFile(dir.file("no/such/dir/e.ini")).writeString("S", "k", "v"), platform::IniWriteError);
    const QByteArray before = "; kept\r\n[General]\r\nName=Garden\r\n";
    const QString path = dir.write("w.ini", before);

    // A read-only file is not replaced, even by a user whom the permissions would let.
    ASSERT_TRUE(platform::setReadOnly(path, true));
    EXPECT_THROW(IniFile(path).writeString("General", "Name", "Changed"), platform::IniWriteError);
    EXPECT_EQ(dir.read("w.ini"), before);
    EXPECT_EQ(IniFile(path).readString("General", "Name", ""), "Garden");
    ASSERT_TRUE(platform::setReadOnly(path, false));

    // A full disk, as a limit on the size of files this process may write.
    struct rlimit old {};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &old), 0);
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    struct rlimit small = old;
    small.rlim_cur = 4096;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    IniFile ini(path);
    EXPECT_THROW(ini.writeString("General", "Header_HTML", QString(20000, 'x')), platform::IniWriteError);
    {
        platform::IniUpdate update(ini);
        ini.writeString("General", "Name", "Changed");
        ini.writeString("General", "Footer_HTML", QString(20000, 'y'));
        EXPECT_THROW(update.commit(), platform::IniWriteError);
    }
    setrlimit(RLIMIT_FSIZE, &old);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_EQ(dir.read("w.ini"), before);
    EXPECT_EQ(ini.readString("General", "Name", ""), "Garden");
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList{"w.ini"});
}

// --- Stored data survives every write ---

TEST(IniFileRoundTrip, EveryValueReadsBackExactly) {
    TempDataDir dir;
    const QStringList values = {
        "<b>Line one</b>\r\n<i>Line two</i>",
        "unix\nbreaks\n",
        "\r\nstarts and ends with breaks\r\n",
        "lone\rreturn",
        "  blanks around  ",
        "\tTab",
        "\"quoted\"",
        "'single'",
        QString("escape ") + QChar(0x10) + "10 char",
        "[Not a section]\r\nkey=not a key\r\n; not a comment",
        QString::fromUtf8("Gr\xc3\xbc\xc3\x9f" "e \xe2\x82\xac"),
        "",
    };
    for (const bool latin1File : {false, true}) {
        const QString name = latin1File ? "latin1.ini" : "utf8.ini";
        if (latin1File) dir.write(name, "[General]\r\nName=Caf\xe9\r\n");
        IniFile ini(dir.file(name));
        for (int i = 0; i < values.size(); ++i) ini.writeString("Rotation_1", "Header_HTML" + QString::number(i), values[i]);
        ini.writeString("Rotation_1", "After", "still here");
        for (int i = 0; i < values.size(); ++i)
            EXPECT_EQ(IniFile(dir.file(name)).readString("Rotation_1", "Header_HTML" + QString::number(i), "?"),
                      values[i])
                << name.toStdString() << " value " << i;
        EXPECT_EQ(IniFile(dir.file(name)).readSection("Rotation_1").size(), values.size() + 1);
        if (latin1File) {
            EXPECT_EQ(IniFile(dir.file(name)).readString("General", "Name", ""), QString::fromUtf8("Caf\xc3\xa9"));
        }
    }
}

TEST(IniFileRoundTrip, ValuesWrittenBeforeReadAsBefore) {
    TempDataDir dir;
    dir.write("old.ini",
              "[Rotation_1]\r\nRotation_Path=%\\rotation_1\\\r\nStyle_File=C:\\new\\x10.htm\r\n"
              "Header_HTML=<a href=\"x\">50% \\n off</a>\r\nQuoted=\"%\\Site_1\\\"\r\nPlain= padded \r\n");
    const IniFile ini(dir.file("old.ini"));
    EXPECT_EQ(ini.readString("Rotation_1", "Rotation_Path", ""), "%\\rotation_1\\");
    EXPECT_EQ(ini.readString("Rotation_1", "Style_File", ""), "C:\\new\\x10.htm");
    EXPECT_EQ(ini.readString("Rotation_1", "Header_HTML", ""), "<a href=\"x\">50% \\n off</a>");
    EXPECT_EQ(ini.readString("Rotation_1", "Quoted", ""), "%\\Site_1\\");
    EXPECT_EQ(ini.readString("Rotation_1", "Plain", ""), "padded");
}

// Files are read as the Windows programs that write them read them.
TEST(IniFileRoundTrip, FilesReadAsWindowsReadsThem) {
    const struct {
        const char* label;
        QByteArray bytes;
        QString name;
    } rows[] = {
        // The bytes Windows-1252 leaves unassigned read as the control characters of their numbers.
        {"not UTF-8: Windows-1252", "[General]\r\nName=Tom\x92s \x96 \x80 \x93\xe9\x94 \x81\x8d\x8f\x90\x9d\r\n",
         QString::fromUtf8("Tom’s – € “é” \u0081\u008D\u008F\u0090\u009D")},
        // U+010A and U+0D0A hold the bytes of LF and CR: only whole UTF-16 units end a line.
        {"UTF-16 LE", unicodeFile("; x\r\n[General]\r\nName=Tom’s \u010A\u0D0A 😀\r\n"),
         QString::fromUtf8("Tom’s \u010A\u0D0A 😀")},
    };
    for (const auto& row : rows) {
        TempDataDir dir;
        const IniFile ini(dir.write("r.ini", row.bytes));
        EXPECT_EQ(ini.readSections(), QStringList{"General"}) << row.label;
        EXPECT_EQ(ini.readString("General", "Name", "?"), row.name) << row.label;
    }
}

// Writing one key changes that key's line and nothing else: encoding, line ends, comments,
// unknown keys, blank lines and a missing final line end all stay.
TEST(IniFileRoundTrip, WritingAKeyKeepsEveryOtherByte) {
    struct Case {
        const char* name;
        QByteArray before;
        QString section, key, value;
        QByteArray after;
    };
    const std::vector<Case> cases = {
        {"latin1", "; Caf\xe9 list\r\n[General]\r\nName=Caf\xe9 du Nord\r\nCurrentRotationPosition=1\r\nX=\xff\xfe\r\n",
         "General", "CurrentRotationPosition", "2",
         "; Caf\xe9 list\r\n[General]\r\nName=Caf\xe9 du Nord\r\nCurrentRotationPosition=2\r\nX=\xff\xfe\r\n"},
        // Windows-1252 holds ’ and €; a control character and characters it has no byte for keep the escape.
        {"windows-1252 new value", "[General]\r\nName=Caf\xe9\r\n", "General", "Name",
         QString::fromUtf8("Tom’s Crème – € \u0092 → 😀"),
         "[General]\r\nName=Tom\x92s Cr\xe8me \x96 \x80 \x10"
         "92 \x10u2192 \x10uD83D\x10uDE00\r\n"},
        {"windows-1252 unassigned bytes", "; \x81\x8d\x8f\x90\x9d\r\n[A]\r\nk=\x81\x8d\x8f\x90\x9d\r\n", "A", "k",
         QString::fromUtf8("\u0081\u008D\u008F\u0090\u009D\u0080"),
         "; \x81\x8d\x8f\x90\x9d\r\n[A]\r\nk=\x81\x8d\x8f\x90\x9d\x10"
         "80\r\n"},
        // UTF-16 LE keeps its mark and line ends; new lines are UTF-16 too.
        {"utf-16 le", unicodeFile("[A]\r\nk=Tom’s\r\n"), "A", "k", QString::fromUtf8("Tom’s – 😀"),
         unicodeFile("[A]\r\nk=Tom’s – 😀\r\n")},
        {"utf-16 le new section", unicodeFile("[A]\nk=v"), "B", "x", QString::fromUtf8("€"),
         unicodeFile("[A]\nk=v\n\n[B]\nx=€\n")},
        {"lf ends", "[A]\nk = v\n;note\nunknown=1\n\n[B]\nz=1\n", "A", "new", "n",
         "[A]\nk = v\n;note\nunknown=1\nnew=n\n\n[B]\nz=1\n"},
        {"no final end", "[A]\r\nk=v", "B", "x", "1", "[A]\r\nk=v\r\n\r\n[B]\r\nx=1\r\n"},
        {"bom", "\xEF\xBB\xBF[A]\r\nk=\xc3\xa9\r\n", "a", "K", "w", "\xEF\xBB\xBF[A]\r\nk=w\r\n"},
        {"multi-line value", "[A]\r\nk=v\r\n", "A", "k", "one\r\ntwo", "[A]\r\nk=one\x10" "0D\x10" "0Atwo\r\n"},
    };
    for (const Case& c : cases) {
        TempDataDir dir;
        dir.write("f.ini", c.before);
        IniFile(dir.file("f.ini")).writeString(c.section, c.key, c.value);
        EXPECT_EQ(dir.read("f.ini"), c.after) << c.name;
        EXPECT_EQ(IniFile(dir.file("f.ini")).readString(c.section, c.key, "?"), c.value) << c.name;
    }
}

// --- Each file parsed once, one replacement per save ---

TEST(IniFileCache, ChangesOnDiskAreSeenAndUpdatesWriteOnce) {
    TempDataDir dir;
    const QString path = dir.write("s.ini", "[General]\r\nCurrentRotationPosition=1\r\n");
    IniFile reader(path);
    EXPECT_EQ(reader.readInteger("General", "CurrentRotationPosition", 0), 1);

    // Another program replaces the file with one of the same size, or edits it in place.
    dir.write("s.ini", "[General]\r\nCurrentRotationPosition=7\r\n");
    EXPECT_EQ(reader.readInteger("General", "CurrentRotationPosition", 0), 7);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::Append));
        f.write("Name=Appended\r\n");
    }
    EXPECT_EQ(reader.readString("General", "Name", ""), "Appended");

    // An update: reads see its writes, the disk sees nothing until the commit, then all at once.
    IniFile writer(path);
    const QByteArray before = dir.read("s.ini");
    {
        platform::IniUpdate update(writer);
        for (int i = 0; i < 56; ++i) writer.writeInteger("Rotation_1", "Key" + QString::number(i), i);
        EXPECT_EQ(writer.readInteger("Rotation_1", "Key55", -1), 55);
        EXPECT_EQ(dir.read("s.ini"), before);
        // Spindleway writes its position meanwhile: the commit keeps it.
        IniFile(path).writeInteger("General", "CurrentRotationPosition", 9);
        update.commit();
    }
    const IniFile fresh(path);
    EXPECT_EQ(fresh.readInteger("General", "CurrentRotationPosition", 0), 9);
    EXPECT_EQ(fresh.readInteger("Rotation_1", "Key55", -1), 55);
    EXPECT_EQ(fresh.readSection("Rotation_1").size(), 56);

    // An update left without commit writes nothing.
    const QByteArray committed = dir.read("s.ini");
    {
        platform::IniUpdate update(writer);
        writer.eraseSection("Rotation_1");
        EXPECT_FALSE(writer.sectionExists("Rotation_1"));
    }
    EXPECT_EQ(dir.read("s.ini"), committed);
    EXPECT_TRUE(writer.sectionExists("Rotation_1"));
}

// A file system that keeps whole seconds only: a file rewritten in place to the same size within
// the second keeps its stamp, and must still be read again.
TEST(IniFileCache, ASameSizeRewriteWithinTheSameSecondIsSeen) {
    TempDataDir dir;
    const QString path = dir.write("c.ini", "[General]\r\nCurrentRotationPosition=1\r\n");
    timespec now {};
    clock_gettime(CLOCK_REALTIME, &now);
    if (now.tv_nsec < 100'000'000) {  // leave the start of the second behind, so a short wait could not hide it
        timespec wait{0, 100'000'000};
        nanosleep(&wait, nullptr);
        clock_gettime(CLOCK_REALTIME, &now);
    }
    const auto setWholeSecond = [&] {
        const timespec times[2] = {{now.tv_sec, 0}, {now.tv_sec, 0}};
        ASSERT_EQ(utimensat(AT_FDCWD, QFile::encodeName(path).constData(), times, 0), 0);
    };
    setWholeSecond();
    const IniFile reader(path);
    EXPECT_EQ(reader.readInteger("General", "CurrentRotationPosition", 0), 1);
    {
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::ReadWrite));
        f.write("[General]\r\nCurrentRotationPosition=2\r\n");
    }
    setWholeSecond();
    EXPECT_EQ(reader.readInteger("General", "CurrentRotationPosition", 0), 2);
}

// Lumenfold and Spindleway write the same site file: each write is made on the file as the other
// left it, so neither loses the other's keys.
TEST(IniFileCache, TwoWritersOfOneFileLoseNothing) {
    TempDataDir dir;
    const QString path = dir.write("two.ini", "[General]\r\nName=Garden\r\n");
    constexpr int kWrites = 40;
    std::thread spindleway([&] {
        for (int i = 0; i < kWrites; ++i) IniFile(path).writeInteger("General", "Position" + QString::number(i), i);
    });
    for (int i = 0; i < kWrites; ++i) {
        IniFile ini(path);
        platform::IniUpdate update(ini);
        ini.writeInteger("Rotation_1", "Key" + QString::number(i), i);
        update.commit();
    }
    spindleway.join();
    const IniFile fresh(path);
    EXPECT_EQ(fresh.readSection("General").size(), kWrites + 1);
    EXPECT_EQ(fresh.readSection("Rotation_1").size(), kWrites);
}

// The rotation tool reads site files from several threads while the file may change.
TEST(IniFileCache, ThreadsReadOneFileWhileItIsWritten) {
    TempDataDir dir;
    const QString path = dir.file("t.ini");
    IniFile(path).writeInteger("General", "CurrentRotationPosition", 0);
    std::atomic<bool> bad{false};
    std::vector<std::thread> readers;
    for (int t = 0; t < 4; ++t)
        readers.emplace_back([&] {
            for (int i = 0; i < 300; ++i) {
                // One read sees one version of the file: never half of an update.
                const QStringList values = IniFile(path).readSectionValues("General");
                const int n = values.first().section('=', 1).toInt();
                if (values != (n == 0 ? QStringList{values.first()}
                                      : QStringList{"CurrentRotationPosition=" + QString::number(n),
                                                    "Name=Site " + QString::number(n)}))
                    bad = true;
            }
        });
    for (int n = 1; n <= 30; ++n) {
        IniFile ini(path);
        platform::IniUpdate update(ini);
        ini.writeInteger("General", "CurrentRotationPosition", n);
        ini.writeString("General", "Name", "Site " + QString::number(n));
        update.commit();
    }
    for (auto& r : readers) r.join();
    EXPECT_FALSE(bad);
}
