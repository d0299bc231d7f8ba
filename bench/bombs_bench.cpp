// Hostile image files through every read path that users' files take, each read in a child
// process of its own so that its wall time and peak memory are its own:
//   grid     the thumbnail grid's thumbnail (90 x 75 box)
//   build    the build's thumbnail (100 x 100 box), shrunk and encoded
//   convert  the site editor's conversion of a dropped file to JPEG (load, then encode at the
//            editor's default quality); dropped JPEG and GIF files are copied as they are, so their
//            row shows what a conversion of them would cost
//   preview  the open dialog's preview (134 x 134 box, 24-bit display)
// A read passes when it is refused within 0.1 s, or when it loads within 2 s with a peak memory
// of at most twice the decoded image plus 64 MB. The decoded image is the picture the path
// decodes, at 3 bytes a pixel: the JPEG decoder's DCT-scaled size for JPEG files in the grid and
// the build, what the path's own load gives for the conversion, and otherwise what a load with the
// thumbnail settings gives (a metafile is drawn small for a preview).
// Usage: bench_bombs FILE...              prints one row per file and path; exit status 1 when a
//                                         row misses the bound
//        bench_bombs --read PATH FILE     (the child) one read, one line of outcome on stdout
// BOMBS_TIMEOUT (seconds, default 60) ends a child that runs longer; BOMBS_MEMORY_MB (default
// 8192) is the child's address-space limit, so that a runaway read fails instead of taking the
// machine.
#include "components/thumb_image_loader.h"
#include "imaging/format_registry.h"
#include "imaging/formats/jpeg_orientation.h"
#include "imaging/formats/jpeg_scale.h"
#include "imaging/imaging_init.h"
#include "imaging/open_dialog_worker.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "site_manager/builder/thumbnail_maker.h"
#include "site_manager/image_conversion.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

constexpr QSize GridBox(90, 75), BuildBox(100, 100), PreviewBox(134, 134);
constexpr double RefusalSeconds = 0.1, ReadSeconds = 2.0, SlackMB = 64.0, BytesPerPixel = 3.0;

// ---- the child: one read ----

struct Read {
    bool loaded = false;
    QSize size;  // what the path made (thumbnail, converted image, preview)
};

Read gridRead(const QString& file) {
    const auto thumbnail = MakeThumbnail(file, GridBox.width(), GridBox.height(), 1);
    if (!thumbnail) return {};
    return {true, thumbnail->Image.size()};
}

Read buildRead(const QString& file, const QString& work) {
    ShrunkImage shrunk = shrinkImage(file, BuildBox.width(), BuildBox.height());
    if (shrunk.Outcome != ShrunkImage::Result::Made) return {};
    if (!writeThumbnail(*shrunk.Pixels, work + "/thumbnail.jpg", 70)) return {};
    return {true, QSize(shrunk.Pixels->GetWidth(), shrunk.Pixels->GetHeight())};
}

Read convertRead(const QString& file) {
    TPixelGraphic image;
    try {
        image.LoadFromFile(file);
    } catch (const std::exception&) {
        return {};  // the editor reports the file as not copied
    }
    if (jpegBytes(image, true, 80).isEmpty()) return {};
    return {true, QSize(image.GetWidth(), image.GetHeight())};
}

// The load the grid, the build and the preview make of a file that is not a JPEG.
Read thumbnailLoad(const QString& file) {
    TPixelGraphic image;
    image.SetWarningMode(0);
    image.SetFastJpegDct(true);
    try {
        image.LoadFromFile(file);
    } catch (const std::exception&) {
        return {};
    }
    if (image.GetEmpty()) return {};
    return {true, QSize(image.GetWidth(), image.GetHeight())};
}

Read previewRead(const QString& file) {
    TPreviewJob job;
    job.FileName = file;
    job.BoxWidth = PreviewBox.width();
    job.BoxHeight = PreviewBox.height();
    try {
        const auto preview = TCreateOpenSaveDialogPaintPGThread::MakePreview(job, {});
        if (!preview) return {};
        return {true, QSize(preview->GetWidth(), preview->GetHeight())};
    } catch (const std::exception&) {
        return {};
    }
}

// The size the header declares, for the JPEG scale and when no load succeeds.
Read declared(const QString& file) {
    QString description;
    TPGGraphicInfo info;
    if (!GetGraphicFileInfo(file, 0, description, info) || info.Width <= 0 || info.Height <= 0) return {};
    return {true, QSize(info.Width, info.Height)};
}

int child(const std::string& path, const QString& file) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "bench_bombs";
    static char* argv[] = {name, nullptr};
    QGuiApplication app(argc, argv);  // metafiles draw text
    InitImagingLibrary();
    SortFormatLists();
    // A user answers a codec's warning with OK and the read goes on.
    platform::setMessageResponder([](const platform::MessageRequest&) { return platform::MessageResult::OK; });
    QTemporaryDir work;
    const auto start = std::chrono::steady_clock::now();
    Read read;
    if (path == "grid") read = gridRead(file);
    else if (path == "build") read = buildRead(file, work.path());
    else if (path == "convert") read = convertRead(file);
    else if (path == "preview") read = previewRead(file);
    else if (path == "decode") read = thumbnailLoad(file);
    else if (path == "info") read = declared(file);
    else return 2;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    if (read.loaded) std::printf("loaded %d %d %.4f\n", read.size.width(), read.size.height(), seconds);
    else std::printf("refused 0 0 %.4f\n", seconds);
    std::fflush(stdout);
    return 0;
}

// ---- the parent: one child per read ----

struct Outcome {
    enum class Kind { Refused, Loaded, Killed, Failed } kind = Kind::Failed;
    QSize size;
    double seconds = 0;  // the read itself, measured in the child
    double peakMB = 0;   // the child's peak resident memory
};

Outcome runChild(const char* self, const std::string& path, const std::string& file, int timeoutSeconds,
                 long memoryMB) {
    int out[2];
    if (pipe(out) != 0) return {};
    const pid_t pid = fork();
    if (pid < 0) return {};
    if (pid == 0) {
        dup2(out[1], STDOUT_FILENO);
        close(out[0]);
        close(out[1]);
        if (!std::getenv("BOMBS_VERBOSE")) {
            const int null = open("/dev/null", O_WRONLY);
            dup2(null, STDERR_FILENO);
        }
        const rlimit limit{rlim_t(memoryMB) << 20, rlim_t(memoryMB) << 20};
        setrlimit(RLIMIT_AS, &limit);
        execl(self, self, "--read", path.c_str(), file.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    close(out[1]);
    std::string text;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(timeoutSeconds);
    bool killed = false;
    for (;;) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0) {
            kill(pid, SIGKILL);
            killed = true;
            break;
        }
        pollfd p{out[0], POLLIN, 0};
        if (poll(&p, 1, int(std::min<long long>(left.count(), 1000))) <= 0) continue;
        char buffer[256];
        const ssize_t n = ::read(out[0], buffer, sizeof buffer);
        if (n <= 0) break;
        text.append(buffer, size_t(n));
    }
    close(out[0]);
    int status = 0;
    rusage usage{};
    wait4(pid, &status, 0, &usage);
    Outcome outcome;
    outcome.peakMB = usage.ru_maxrss / 1024.0;
    if (killed) {
        outcome.kind = Outcome::Kind::Killed;
        outcome.seconds = timeoutSeconds;
        return outcome;
    }
    char word[16] = {};
    int w = 0, h = 0;
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 ||
        std::sscanf(text.c_str(), "%15s %d %d %lf", word, &w, &h, &outcome.seconds) != 4)
        return outcome;  // the child crashed or failed: a missed bound
    outcome.kind = std::strcmp(word, "loaded") == 0 ? Outcome::Kind::Loaded : Outcome::Kind::Refused;
    outcome.size = QSize(w, h);
    return outcome;
}

// The size a JPEG thumbnail path decodes at: the path's DCT scale of the upright box.
QSize scaledJpeg(const QString& file, QSize full, QSize box) {
    const bool swap = OrientationSwapsAxes(JpegFileOrientation(file));
    if (swap) box.transpose();
    const int scale = JpegScaleFor(full.width(), full.height(), box.width(), box.height());
    return {(full.width() + scale - 1) / scale, (full.height() + scale - 1) / scale};
}

long environmentNumber(const char* name, long fallback) {
    const char* value = std::getenv(name);
    return value && *value ? std::atol(value) : fallback;
}

double megabytes(QSize size) { return double(size.width()) * size.height() * BytesPerPixel / (1 << 20); }

}  // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--read") == 0) return child(argv[2], QString::fromLocal8Bit(argv[3]));
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_bombs FILE...\n");
        return 2;
    }
    const int timeout = std::max(1L, environmentNumber("BOMBS_TIMEOUT", 60));
    const long memoryMB = std::max(256L, environmentNumber("BOMBS_MEMORY_MB", 8192));
    const char* self = "/proc/self/exe";
    int missed = 0, rows = 0;
    std::printf("%-40s %-8s %-20s %8s %8s %8s  %s\n", "file", "path", "result", "time s", "peak MB", "bound MB",
                "verdict");
    for (int i = 1; i < argc; ++i) {
        const std::string file = argv[i];
        const QString name = QString::fromLocal8Bit(argv[i]);
        const bool jpeg = IsJpegFile(name);
        // What the thumbnail settings decode (not for JPEG files, which the grid and the build
        // decode scaled) and what the header declares.
        const Outcome info = runChild(self, "info", file, timeout, memoryMB);
        const QSize full = info.kind == Outcome::Kind::Loaded ? info.size : QSize();
        QSize thumbnailDecode = full;
        if (!jpeg) {
            const Outcome decode = runChild(self, "decode", file, timeout, memoryMB);
            if (decode.kind == Outcome::Kind::Loaded) thumbnailDecode = decode.size;
        }
        for (const std::string path : {"grid", "build", "convert", "preview"}) {
            const Outcome o = runChild(self, path, file, timeout, memoryMB);
            // The decoded image: the conversion keeps it at the size it made.
            QSize decoded = thumbnailDecode;
            if (path == "convert") decoded = o.size;
            else if (jpeg && path == "grid") decoded = scaledJpeg(name, full, GridBox);
            else if (jpeg && path == "build") decoded = scaledJpeg(name, full, BuildBox * 2);
            std::string result, bound = "-";
            bool ok = false;
            switch (o.kind) {
            case Outcome::Kind::Refused:
                result = "refused";
                ok = o.seconds <= RefusalSeconds;
                break;
            case Outcome::Kind::Loaded: {
                result = "loaded " + std::to_string(o.size.width()) + "x" + std::to_string(o.size.height());
                const double boundMB = 2 * megabytes(decoded) + SlackMB;
                bound = std::to_string(int(boundMB));
                ok = o.seconds <= ReadSeconds && o.peakMB <= boundMB;
                break;
            }
            case Outcome::Kind::Killed: result = "killed (time-out)"; break;
            case Outcome::Kind::Failed: result = "child failed"; break;
            }
            ++rows;
            if (!ok) ++missed;
            std::printf("%-40s %-8s %-20s %8.3f %8.1f %8s  %s\n",
                        QFileInfo(name).fileName().left(40).toLocal8Bit().constData(), path.c_str(), result.c_str(),
                        o.seconds, o.peakMB, bound.c_str(), ok ? "ok" : "MISSED");
            std::fflush(stdout);
        }
    }
    std::printf("%d of %d reads within the bound\n", rows - missed, rows);
    return missed == 0 ? 0 : 1;
}
