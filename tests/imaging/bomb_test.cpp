// Hostile files (tests/imaging/make_bomb_samples.py) through every read path, each in a child
// process whose address space is limited, so that a reader that regresses to allocating
// gigabytes fails here instead of swapping. Each must be refused or load as expected.
#include "imaging/formats/gif_image.h"
#include "imaging/formats/gif_registry_reader.h"
#include "imaging/pixel_graphic.h"
#include "tests/imaging/imaging_test_support.h"
#include "tests/imaging/sample_files_support.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// Address space a child may add to what it had mapped when it started.
constexpr rlim_t AddressSpaceAllowance = rlim_t(1) << 30;

QString bombDir() {
    static QTemporaryDir dir;
    static const bool written = [] {
        QString output;
        return imaging_test::runProgram(
            imaging_test::python(),
            {sample_files::sourceDir() + QStringLiteral("/tests/imaging/make_bomb_samples.py"), dir.path()}, &output);
    }();
    return written ? dir.path() + QStringLiteral("/") : QString();
}

QString describe(const TPixelGraphic& graphic) {
    static const char* const bits[] = {"1", "4", "8", "24"};
    return QStringLiteral("%1x%2 %3-bit")
        .arg(graphic.GetWidth())
        .arg(graphic.GetHeight())
        .arg(QLatin1String(bits[graphic.GetPixelFormat()]));
}

// The read paths: what each made of the file, as one line.
QString readByRegistry(const QString& path) {
    TPixelGraphic graphic;
    graphic.LoadFromFile(path);
    return describe(graphic);
}

QString readByRegistryGifReader(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot open");
    TPixelGraphic graphic;
    tGifFileFormatReader().Read(file, graphic, 0);
    return describe(graphic);
}

QString describeGif(TGIFImage& gif, const QStringList& warnings) {
    // Pixel bytes the frames hold: only what their data filled.
    int64_t held = 0;
    for (int i = 0; i < gif.Images().Count(); ++i) held += int64_t(gif.Images().Frame(i)->Data.size());
    return QStringLiteral("%1x%2 frames %3 held %4%5")
        .arg(gif.GetWidth())
        .arg(gif.GetHeight())
        .arg(gif.Images().Count())
        .arg(held)
        .arg(warnings.isEmpty() ? QString() : QStringLiteral(" warns ") + warnings.join(QLatin1Char('|')));
}

QString readByGifImage(const QString& path) {
    TGIFImage gif;
    QStringList warnings;
    gif.OnWarning = [&](const void*, uint8_t, const QString& message) { warnings << message; };
    gif.LoadFromFile(path);
    return describeGif(gif, warnings);
}

// What a still picture reads: frame 0, without the frames behind it or the trailer.
QString readFirstFrame(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return QStringLiteral("cannot open");
    TGIFImage gif;
    QStringList warnings;
    gif.OnWarning = [&](const void*, uint8_t, const QString& message) { warnings << message; };
    gif.LoadFromStream(file, true);
    return describeGif(gif, warnings);
}

// Runs Read in a child with limited address space; its line, "refused: <message>", or how the
// child ended.
QString inLimitedChild(const std::function<QString()>& Read) {
    int fds[2];
    if (pipe(fds) != 0) return QStringLiteral("no pipe");
    const pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            if (std::fscanf(statm, "%ld", &pages) != 1) pages = 0;
            std::fclose(statm);
        }
        const rlim_t limit = rlim_t(pages) * rlim_t(sysconf(_SC_PAGESIZE)) + AddressSpaceAllowance;
        const rlimit rl{limit, limit};
        setrlimit(RLIMIT_AS, &rl);
        QByteArray line;
        try {
            line = Read().toUtf8();
        } catch (const std::bad_alloc&) {
            line = "out of memory";
        } catch (const std::exception& e) {
            line = QByteArray("refused: ") + e.what();
        }
        const ssize_t written = write(fds[1], line.constData(), size_t(line.size()));
        _exit(written == line.size() ? 0 : 1);
    }
    close(fds[1]);
    QByteArray line;
    char buffer[512];
    for (ssize_t n; (n = read(fds[0], buffer, sizeof buffer)) > 0;) line.append(buffer, n);
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFSIGNALED(status)) return QStringLiteral("killed by signal %1").arg(WTERMSIG(status));
    return QString::fromUtf8(line);
}

struct BombCase {
    const char* File;
    QString (*Read)(const QString&);
    const char* Expected;
};

TEST(Bombs, EachIsRefusedOrLoadsWithinTheMemoryLimit) {
    imaging_test::initLibrary();
    const QString dir = bombDir();
    ASSERT_FALSE(dir.isEmpty()) << "the bomb generator failed";
    const BombCase cases[] = {
        // Many frames load in time linear in their number; the first is the picture.
        {"gif_10000_frames.gif", readByRegistry, "1x1 8-bit"},
        {"gif_10000_frames.gif", readByGifImage, "1x1 frames 10000 held 10000"},
        {"gif_10000_frames.gif", readByRegistryGifReader, "1x1 1-bit"},
        {"gif_200000_frames.gif", readByRegistry, "1x1 8-bit"},
        {"gif_200000_frames.gif", readByGifImage, "1x1 frames 200000 held 200000"},
        {"gif_200000_frames.gif", readFirstFrame, "1x1 frames 1 held 1"},
        // Huge frames whose few bytes fill one row hold that row only; a picture of this size that
        // its data leave almost empty is refused.
        {"gif_huge_frame_few_bytes.gif", readByRegistry, "refused: Premature end of data"},
        {"gif_huge_frame_few_bytes.gif", readByGifImage, "65535x2000 frames 1 held 65535"},
        {"gif_huge_frame_few_bytes.gif", readByRegistryGifReader, "65535x2000 1-bit"},
        {"gif_huge_frames_behind_small.gif", readByRegistry, "1x1 8-bit"},
        {"gif_huge_frames_behind_small.gif", readByGifImage, "1x1 frames 9 held 524281"},
        // A frame reaching far past a small screen costs the screen, not the frame.
        {"gif_huge_frame_on_small_screen.gif", readByRegistry, "2x2 8-bit"},
        {"gif_huge_frame_on_small_screen.gif", readByGifImage, "2x2 frames 1 held 65535"},
        {"gif_huge_interlaced_few_bytes.gif", readByGifImage, "65535x2000 frames 1 held 65535"},
        {"gif_huge_interlaced_few_bytes.gif", readByRegistry, "refused: Premature end of data"},
        // A cut file: the missing pixels are 0, reported once.
        {"gif_truncated.gif", readByGifImage, "16x16 frames 1 held 32 warns Premature end of data"},
        {"gif_truncated.gif", readByRegistry, "16x16 8-bit"},
        {"gif_truncated.gif", readByRegistryGifReader, "16x16 1-bit"},
        // The pixel format follows the colour table, not the LZW code size.
        {"gif_two_colours_code_size_8.gif", readByRegistryGifReader, "4x2 1-bit"},
        {"gif_two_colours_code_size_8.gif", readByGifImage, "4x2 frames 1 held 8"},
    };
    for (const BombCase& c : cases) {
        const QString path = dir + QLatin1String(c.File);
        EXPECT_EQ(inLimitedChild([&] { return c.Read(path); }).toStdString(), c.Expected) << c.File;
    }
}

// The limit is in force: a child that wants more runs out of memory instead of getting it.
TEST(Bombs, ChildrenRunOutOfMemoryBeyondTheLimit) {
    const QString result = inLimitedChild([] {
        std::vector<char> tooMuch(size_t(AddressSpaceAllowance) * 2, 1);
        return QString::number(tooMuch.back());
    });
    EXPECT_EQ(result.toStdString(), "out of memory");
}

// The registry reader decodes the 2-colour, code-size-8 file's pixels exactly.
TEST(Bombs, TwoColourGifWithWideCodesKeepsItsPixels) {
    imaging_test::initLibrary();
    const QString dir = bombDir();
    ASSERT_FALSE(dir.isEmpty());
    QFile file(dir + QStringLiteral("gif_two_colours_code_size_8.gif"));
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    TPixelGraphic graphic;
    tGifFileFormatReader().Read(file, graphic, 0);
    ASSERT_EQ(graphic.GetPixelFormat(), PixelFormat1Bit);
    const TColor black = pgRGB(0, 0, 0), white = pgRGB(255, 255, 255);
    const TColor expected[2][4] = {{white, black, white, black}, {black, white, black, white}};
    for (int y = 0; y < 2; ++y)
        for (int x = 0; x < 4; ++x) EXPECT_EQ(graphic.GetPixelColor(x, y), expected[y][x]) << x << "," << y;
}

}  // namespace
