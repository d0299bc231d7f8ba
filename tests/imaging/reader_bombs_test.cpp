// Small files that claim far more than they hold are refused (or read at their true size) through
// the registry, each in a child process whose address space is limited, so that a reader that
// allocates what a header claims fails the test instead of swapping. Standard files that readers
// once misread (a plain bitmap without separators, a Targa file starting with byte 10) are rows
// of the same table.
#include "tests/imaging/imaging_test_support.h"
#include "tests/imaging/sample_files_support.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <functional>
#include <string>
#include <vector>

namespace {

constexpr rlim_t ChildAddressSpace = rlim_t(1536) << 20;

// Runs Work in a forked child limited to ChildAddressSpace and returns what it wrote, or a note
// of how it died.
std::string runLimited(const std::function<std::string()>& Work) {
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return "pipe failed";
    const pid_t child = fork();
    if (child == 0) {
        close(pipeEnds[0]);
        const rlimit limit{ChildAddressSpace, ChildAddressSpace};
        setrlimit(RLIMIT_AS, &limit);
        std::string result;
        try {
            result = Work();
        } catch (const std::bad_alloc&) {
            result = "out of memory";
        } catch (const std::exception& e) {
            result = std::string("unexpected exception: ") + e.what();
        }
        const char* p = result.data();
        size_t left = result.size();
        while (left > 0) {
            const ssize_t n = write(pipeEnds[1], p, left);
            if (n <= 0) break;
            p += n;
            left -= size_t(n);
        }
        _exit(0);
    }
    close(pipeEnds[1]);
    std::string output;
    char buffer[4096];
    ssize_t n;
    while ((n = read(pipeEnds[0], buffer, sizeof buffer)) > 0) output.append(buffer, size_t(n));
    close(pipeEnds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (WIFSIGNALED(status)) return "killed by signal " + std::to_string(WTERMSIG(status));
    return output;
}

struct PixelCheck {
    int X, Y;
    TColor Colour;
};

struct BombCase {
    const char* Name;
    const char* Refusal;  // the exception's message, or nullptr when the file loads
    int Width = 0, Height = 0;
    int ImageCount = 1;   // from the file information, for files that load
    std::vector<PixelCheck> Pixels = {};
};

// "refused: <message>" or "WxH count c (x,y)=colour ...", as the child reports it.
std::string loadAndDescribe(const QString& Path, const BombCase& Case) {
    TPixelGraphic graphic;
    graphic.SetWarningMode(0);
    try {
        graphic.LoadFromFile(Path);
    } catch (const EPixelGraphic& e) {
        return "refused: " + e.message().toStdString();
    }
    QString description;
    TPGGraphicInfo info;
    const bool infoRead = GetGraphicFileInfo(Path, 0, description, info);
    std::string text = std::to_string(graphic.GetWidth()) + "x" + std::to_string(graphic.GetHeight()) + " count " +
                       (infoRead ? std::to_string(info.ImageCount) : std::string("none"));
    for (const PixelCheck& p : Case.Pixels)
        text += " (" + std::to_string(p.X) + "," + std::to_string(p.Y) +
                ")=" + std::to_string(graphic.GetPixelColor(p.X, p.Y));
    return text;
}

std::string expectedText(const BombCase& Case) {
    if (Case.Refusal) return std::string("refused: ") + Case.Refusal;
    std::string text = std::to_string(Case.Width) + "x" + std::to_string(Case.Height) + " count " +
                       std::to_string(Case.ImageCount);
    for (const PixelCheck& p : Case.Pixels)
        text += " (" + std::to_string(p.X) + "," + std::to_string(p.Y) + ")=" + std::to_string(p.Colour);
    return text;
}

class ReaderBombs : public ::testing::Test {
protected:
    void SetUp() override { imaging_test::initLibrary(); }
};

TEST_F(ReaderBombs, EachIsRefusedOrReadAtItsTrueSizeWithinBoundedMemory) {
    const TColor black = pgRGB(0, 0, 0), white = pgRGB(255, 255, 255);
    const std::vector<BombCase> cases = {
        {"bmp_2147483647_square_4bit.bmp", "BMP: Invalid size of image"},
        {"bmp_2147483647_square_24bit.bmp", "BMP: Invalid size of image"},
        {"bmp_rle8_30000_square.bmp", "BMP: Invalid size of image"},
        // Within the pixel limit: read at its size, the bottom row from its one run (grey 7).
        {"bmp_rle8_13_by_4194308.bmp", nullptr, 13, 4194308, 1, {{12, 4194307, pgRGB(7, 7, 7)}, {0, 0, black}}},
        // Past 2^26 pixels the data must draw at least a sixteenth of the picture.
        {"bmp_rle8_16384_square.bmp", "BMP: Unexpected end of file"},
        {"bmp_rle8_13_by_15925252.bmp", "BMP: Unexpected end of file"},
        {"bmp_rle8_under_sixteenth_drawn.bmp", "BMP: Unexpected end of file"},
        {"bmp_rle8_sixteenth_drawn.bmp", nullptr, 8192, 8193, 1,
         {{8191, 8192, pgRGB(9, 9, 9)}, {0, 8192 - 512, pgRGB(9, 9, 9)}, {0, 8192 - 513, black}}},
        // Every entry is the same 16 x 16 image whose row y holds grey 240 - 16 y.
        {"ico_4000_entries.ico", nullptr, 16, 16, 4000, {{0, 0, pgRGB(240, 240, 240)}, {15, 15, black}}},
        {"ico_65535_entries.ico", nullptr, 16, 16, 65535, {{0, 1, pgRGB(224, 224, 224)}}},
        {"jpeg_progressive_16384_square.jpg", "JPG: Invalid size of image"},
        {"jpeg_progressive_8192_square.jpg", "JPG: Unexpected end of file"},
        {"jpeg_progressive_4096_square.jpg", "JPG: Unexpected end of file"},
        {"jpeg_arithmetic_8192_square.jpg", "JPG: Unexpected end of file"},
        // A single scan, too, must carry data for its blocks past 2^26 pixels.
        {"jpeg_baseline_16384_square.jpg", "JPG: Unexpected end of file"},
        {"pcx_65534_square.pcx", "PCX: Invalid size of image"},
        {"tga_rle_65535_square.tga", "TGA: Invalid size of image"},
        {"pbm_100000_square.pbm", "PBM, PGM, PPM: Not supported subformat"},
        {"png_18000_square_grey.png", "PNG: Invalid size of image"},
        // Plain bitmaps code each pixel as one digit, separated or not (1 is black).
        {"pbm_plain_packed_digits.pbm", nullptr, 5, 2, 1,
         {{0, 0, white}, {1, 0, black}, {4, 0, black}, {0, 1, black}, {4, 1, white}}},
        // A Targa file with an ID field of 10 bytes begins like a Paintbrush file.
        {"tga_10_byte_id_field.tga", nullptr, 3, 2, 1,
         {{0, 0, pgRGB(255, 0, 0)}, {1, 0, pgRGB(0, 255, 0)}, {2, 1, pgRGB(0, 0, 255)}}},
    };
    QTemporaryDir dir;
    QString output;
    const QString generator = sample_files::sourceDir() + QStringLiteral("/tests/imaging/bomb_samples_readers.py");
    ASSERT_TRUE(imaging_test::runProgram(imaging_test::python(), {generator, dir.path()}, &output))
        << output.toStdString();
    for (const BombCase& c : cases) {
        const QString path = dir.filePath(QLatin1String(c.Name));
        EXPECT_EQ(runLimited([&] { return loadAndDescribe(path, c); }), expectedText(c)) << c.Name;
    }
}

}  // namespace
