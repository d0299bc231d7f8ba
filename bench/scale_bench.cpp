// Cases of bench/scale.sh that run inside the site-gallery program's code. Each command prepares
// its data in <work directory> (kept for later runs when it is already there), then prints one
// line "<figure> <unit>" with the best of the runs.
//   bench_scale sites  <dir> <n>          writes a data directory of n sites without rotations
//   bench_scale start  <dir> <n>          main window shown over n sites (ms)
//   bench_scale editor <dir> <n>          site editor with n rotations: "open-ms close-ms"
//   bench_scale drop   <dir> <n>          n dropped 100 KB images, until on disk (ms)
//   bench_scale build  <dir> <n> <templates>  build of n images with descriptions (ms per image)
#include "build_forms.h"
#include "imaging/imaging_init.h"
#include "components/file_list_box.h"
#include "imaging/pixel_graphic.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/build_dialog.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_store.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <memory>
#include <unistd.h>

namespace {

// Best of this many runs; SCALE_RUNS overrides it for the long cases.
const int Runs = std::max(1, qEnvironmentVariableIntValue("SCALE_RUNS") > 0 ? qEnvironmentVariableIntValue("SCALE_RUNS") : 3);
bool unexpectedBox = false;

void writeFile(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (!f.open(QIODevice::WriteOnly) || f.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "cannot write %s\n", qPrintable(path));
        std::exit(1);
    }
}

// sites.ini and one site file per site, each site in a directory of its own without rotations.
void writeSites(const QString& dir, int n) {
    if (QFile::exists(dir + "sites.ini")) return;
    QByteArray sites = "[Sites]\r\n";
    for (int i = 1; i <= n; ++i) {
        const QByteArray key = "Site_" + QByteArray::number(i);
        sites += key + "=Gallery number " + QByteArray::number(i) + "\r\n";
        writeFile(dir + key + ".ini", "[General]\r\nName=Gallery number " + QByteArray::number(i) + "\r\nPath=%\\" +
                                          key + "\\\r\nLivePath=" + dir.toUtf8() + "live/" + key +
                                          "\r\nAutoRotate=True\r\nCurrentRotationPosition=1\r\nBaseHTMLName=Index.html"
                                          "\r\nRotationCount=0\r\n");
    }
    writeFile(dir + "options.ini", "[Options]\r\nUseRotations=True\r\nLogging=False\r\n");
    writeFile(dir + "sites.ini", sites);
}

double best(const std::function<double()>& run) {
    double result = 0;
    for (int i = 0; i < Runs; ++i) {
        const double ms = run();
        if (i == 0 || ms < result) result = ms;
    }
    return result;
}

double elapsedMs(const QElapsedTimer& t) { return t.nsecsElapsed() / 1e6; }

// The long-lived forms of the program, in its creation order.
struct Program {
    TfrmMain main;
    TdlgThumbOptions thumbOptions{&main};
    TdlgEditSite editSite{&main};
    Program() {
        dlgThumbOptions = &thumbOptions;
        dlgEditSite = &editSite;
    }
    ~Program() {
        dlgThumbOptions = nullptr;
        dlgEditSite = nullptr;
    }
};

double startMainWindow(const QString& dir, int n) {
    writeSites(dir, n);
    return best([&] {
        QElapsedTimer t;
        t.start();
        Program program;
        program.main.show();
        QApplication::processEvents();  // the first paint draws the site names
        const double ms = elapsedMs(t);
        if (program.main.lbxsites->count() != n) std::exit(1);
        return ms;
    });
}

// One site whose n rotations each hold the whole set of settings and one image.
void writeRotations(const QString& dir, int n) {
    writeFile(dir + "sites.ini", "[Sites]\r\nSite_1=Big site\r\n");
    writeFile(dir + "options.ini", "[Options]\r\nUseRotations=True\r\n");
    if (QFile::exists(dir + "Site_1.ini")) return;
    writeFile(dir + "Site_1.ini", "[General]\r\nName=Big site\r\nPath=%\\site\\\r\nRotationCount=" +
                                      QByteArray::number(n) + "\r\n");
    QDir().mkpath(dir + "site/Rotation_1");
    Program program;
    program.main.show();
    tsiterecord.key = "Site_1";
    tsiterecord.Path = dir + "site/";
    program.editSite.edtrotationdirectory->setText(dir + "site/Rotation_1");
    SaveRotations(1, n, true);
    platform::IniFile site(dir + "Site_1.ini");
    platform::IniUpdate update(site);
    for (int i = 1; i <= n; ++i) {
        const QString sub = "site/Rotation_" + QString::number(i);
        site.writeString("Rotation_" + QString::number(i), "Rotation_Path", "%\\" + sub);
        writeFile(dir + sub + "/photo.jpg", QByteArray(2048, 'x'));
    }
    update.commit();
}

void editorOpenClose(const QString& dir, int n) {
    writeRotations(dir, n);
    double open = 0, close = 0;
    for (int run = 0; run < Runs; ++run) {
        Program program;
        program.main.show();
        QApplication::processEvents();
        program.main.lbxsites->setCurrentRow(0);
        program.main.lbxsitesClick();
        QElapsedTimer t;
        t.start();
        program.editSite.show();
        QApplication::processEvents();
        const double o = elapsedMs(t);
        if (program.editSite.lbxrotations->count() != n) std::exit(1);
        t.restart();
        program.editSite.BitBtn2->click();
        QApplication::processEvents();
        const double c = elapsedMs(t);
        if (run == 0 || o < open) open = o;
        if (run == 0 || c < close) close = c;
    }
    std::printf("%.1f %.1f ms\n", open, close);
}

double dropImages(const QString& dir, int n) {
    const QString sources = dir + "sources/";
    if (!QFile::exists(sources + QString("photo%1.jpg").arg(n))) {
        QByteArray photo(100 * 1024, '\0');
        for (int i = 0; i < photo.size(); ++i) photo[i] = char((i * 2654435761u) >> 13);
        for (int i = 1; i <= n; ++i) writeFile(sources + QString("photo%1.jpg").arg(i), photo);
    }
    writeFile(dir + "sites.ini", "[Sites]\r\nSite_1=Drop\r\n");
    writeFile(dir + "options.ini", "[Options]\r\nUseRotations=True\r\n");
    QStringList files;
    for (int i = 1; i <= n; ++i) files << sources + QString("photo%1.jpg").arg(i);
    // Each run drops into a directory of its own, and the runs' copies are deleted only at the
    // end: this file system is slow to create files where many were deleted a moment ago, which
    // would be measured instead of the drop.
    QStringList used;
    const double ms = best([&] {
        const QString rotation = QString("drop_%1_%2").arg(getpid()).arg(used.size());
        used << dir + "site/" + rotation;
        QDir().mkpath(used.last());
        writeFile(dir + "Site_1.ini", "[General]\r\nName=Drop\r\nPath=%\\site\\\r\nRotationCount=1\r\n"
                                      "[Rotation_1]\r\nRotation_Path=%\\site\\" + rotation.toUtf8() + "\r\n");
        Program program;
        program.main.show();
        program.main.lbxsites->setCurrentRow(0);
        program.main.lbxsitesClick();
        program.editSite.show();
        QApplication::processEvents();
        ::sync();
        QElapsedTimer t;
        t.start();
        program.editSite.DropFileTarget1Drop(files);
        const double ms = elapsedMs(t);
        if (program.editSite.FileBox->count() != n) std::exit(1);
        program.editSite.BitBtn2->click();
        return ms;
    });
    for (const QString& d : used) QDir(d).removeRecursively();
    return ms;
}

double buildImages(const QString& dir, int n, const QString& templates) {
    const QString rotation = dir + "rotation/";
    if (!QFile::exists(rotation + QString("photo%1.jpg").arg(n))) {
        TPixelGraphic photo;
        photo.SetSize(320, 240, PixelFormat24Bit);
        for (int y = 0; y < 240; ++y) {
            uint8_t* row = photo.GetScanLine(y);
            for (int x = 0; x < 3 * 320; ++x) row[x] = uint8_t(x * 7 + y * 3);
        }
        QDir().mkpath(rotation);
        photo.SaveToFile(rotation + "photo1.jpg");
        for (int i = 2; i <= n; ++i) QFile::copy(rotation + "photo1.jpg", rotation + QString("photo%1.jpg").arg(i));
        QByteArray descriptions = "[Descriptions]\r\n";
        for (int i = 1; i <= n; ++i)
            descriptions += "photo" + QByteArray::number(i) + ".jpg=A description of photograph number " +
                            QByteArray::number(i) + "\r\n";
        writeFile(dir + "descriptions.ini", descriptions);
    }
    TdlgThumbOptions options;
    TdlgEditSite editor;
    setUpBuildForms(options, editor, dir, templates);
    options.rdbshowdescription->setChecked(true);
    options.edtdescripfile->setText(dir + "descriptions.ini");
    const double ms = best([&] {
        QDir(rotation + "thumbs").removeRecursively();
        TdlgBuildProgress dialog;
        dialog.show();
        if (dialog.lbximages->count() != n) std::exit(1);
        QElapsedTimer t;
        t.start();
        dialog.btnokClick();
        if (dialog.result() != platform::mrOk) std::exit(1);
        return elapsedMs(t);
    });
    dlgThumbOptions = nullptr;
    dlgEditSite = nullptr;
    return ms / n;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: bench_scale sites|start|editor|drop|build <work directory> <n> [templates]\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    InitImagingLibrary();
    QApplication app(argc, argv);
    const QString command = argv[1];
    const QString dir = QDir(QString::fromLocal8Bit(argv[2])).absolutePath() + "/";
    const int n = std::max(1, atoi(argv[3]));
    QDir().mkpath(dir);
    platform::setExecutableDirectoryForTesting(dir);
    refusePreviewReportOtherBoxes(unexpectedBox);

    if (command == "sites") writeSites(dir, n);
    else if (command == "start") std::printf("%.1f ms\n", startMainWindow(dir, n));
    else if (command == "editor") editorOpenClose(dir, n);
    else if (command == "drop") std::printf("%.1f ms\n", dropImages(dir, n));
    else if (command == "build" && argc > 4)
        std::printf("%.3f ms/image\n", buildImages(dir, n, QDir(QString::fromLocal8Bit(argv[4])).absolutePath() + "/"));
    else return 2;
    FinalizeImagingLibrary();
    return unexpectedBox ? 1 : 0;
}
