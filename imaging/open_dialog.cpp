// TPGOpenDialog: the registry's filter, the rest timer, the worker's life and the two panels.
#include "imaging/open_dialog.h"

#include "imaging/imaging_init.h"
#include "imaging/pg_messages.h"
#include "platform/dialogs.h"
#include "platform/window_fit.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QGridLayout>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QShowEvent>
#include <QVBoxLayout>

#include <cmath>
#include <numbers>

namespace {

constexpr int RestMilliseconds = 150;
// The panels' sizes: 92 x 85 and 92 x 33 dialog units of an 8-point system font.
constexpr QSize PreviewPanelSize(138, 138);
constexpr QSize InfoPanelSize(138, 54);
constexpr int ClockSize = 15;

int displayDepthOverride = 0;

// Each extension is offered once: the library has two GIF readers, and a second "*.gif" entry
// would only repeat the first.
std::vector<const TFileFormatReader*> shownReaders() {
    SortFormatLists();
    std::vector<const TFileFormatReader*> shown;
    QStringList extensions;
    for (const auto& reader : FileFormatReaders) {
        const QString extension = reader->Extension.toLower();
        if (!reader->ShowInFilter || extensions.contains(extension)) continue;
        extensions << extension;
        shown.push_back(reader.get());
    }
    return shown;
}

}  // namespace

// The preview panel: a sunken frame, the preview centred in it, the progress clock while loading.
class TPGPreviewPanel : public QWidget {
public:
    explicit TPGPreviewPanel(TPGOpenDialog& Dialog) : dialog_(Dialog) { setFixedSize(PreviewPanelSize); }

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        const QColor face = palette().color(QPalette::Button), shadow = palette().color(QPalette::Dark);
        const QRect r = rect();
        painter.fillRect(r, face);
        painter.setPen(shadow);
        painter.drawLine(r.topLeft(), r.topRight());
        painter.drawLine(r.topLeft(), r.bottomLeft());
        painter.setPen(Qt::black);
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.topRight() + QPoint(-1, 1));
        painter.drawLine(r.topLeft() + QPoint(1, 1), r.bottomLeft() + QPoint(1, -1));
        painter.setPen(Qt::white);
        painter.drawLine(r.bottomLeft(), r.bottomRight());
        painter.drawLine(r.topRight(), r.bottomRight());
        if (const TPixelGraphic* preview = dialog_.Preview()) {
            preview->Draw(painter, PreviewRect(preview->GetWidth(), preview->GetHeight()));
        } else if (dialog_.ProgressClockVisible && dialog_.clockPercent_ >= 0) {
            DrawClock(painter);
        }
    }

private:
    // At its own size when it fits inside the frame, else fitted by its aspect ratio; centred.
    QRect PreviewRect(int w, int h) const {
        const int boxW = width() - 4, boxH = height() - 4;
        if (w > boxW || h > boxH) {
            const double aspect = double(w) / h;
            if (double(boxW) / boxH > aspect) {
                h = boxH;
                w = int(h * aspect);
            } else {
                w = boxW;
                h = int(w / aspect);
            }
        }
        return QRect((width() - w) / 2, (height() - h) / 2, w, h);
    }

    void DrawClock(QPainter& painter) const {
        QImage clock(ClockSize, ClockSize, QImage::Format_RGB32);
        clock.fill(palette().color(QPalette::Button));
        {
            QPainter p(&clock);
            p.setPen(dialog_.ProgressClockLineColor);
            p.setBrush(dialog_.ProgressClockBkColor);
            p.drawEllipse(0, 0, ClockSize - 1, ClockSize - 1);
            const double a = 2 * std::numbers::pi * dialog_.clockPercent_ / 100;
            const auto hand = [&](double angle, int length) {
                p.drawLine(7, 7, 7 + int(std::lround(std::sin(angle) * length)),
                           7 - int(std::lround(std::cos(angle) * length)));
            };
            hand(a, 7);
            hand((2 * std::numbers::pi * (dialog_.clockPhase_ - 1) + a) / 12, 6);
        }
        painter.drawImage((width() - ClockSize) / 2, (height() - ClockSize) / 2, clock);
    }

    TPGOpenDialog& dialog_;
};

// The information panel: the file's description and size lines, spread over its height. It is
// tall enough for the four lines a file can have and widens to the longest line shown (up to a
// limit beyond which a line is elided), so that no line is cut off.
class TPGInfoPanel : public QWidget {
public:
    explicit TPGInfoPanel(TPGOpenDialog& Dialog) : dialog_(Dialog) {
        setObjectName(QStringLiteral("InfoPanel"));
        setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
        setFont(InfoFont());
    }

    QSize sizeHint() const override {
        const QFontMetrics metrics(font());
        // Only widening: the dialog does not jump back and forth as the selection moves.
        for (const QString& line : dialog_.InfoLines())
            width_ = std::max(width_, metrics.horizontalAdvance(line) + 2 * TextMargin);
        return {std::min(width_, InfoPanelMaxWidth), std::max(InfoPanelSize.height(), 4 * metrics.height())};
    }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent*) override {
        const QStringList lines = dialog_.InfoLines();
        if (lines.isEmpty()) return;
        QPainter painter(this);
        painter.setPen(palette().color(QPalette::WindowText));
        const QFontMetrics metrics(font());
        const int n = int(lines.size());
        for (int k = 0; k < n; ++k)
            painter.drawText(QRect(0, k * height() / n, width(), height() / n), Qt::AlignLeft | Qt::AlignTop,
                             metrics.elidedText(lines[k], Qt::ElideRight, width()));
    }

private:
    static constexpr int TextMargin = 2;
    static constexpr int InfoPanelMaxWidth = 360;

    static QFont InfoFont() {
        QFont font(PreviewInfoFont.FaceName);
        font.setPixelSize(std::max(8, std::abs(PreviewInfoFont.Height) + 3));
        font.setWeight(QFont::Weight(std::clamp(PreviewInfoFont.Weight, 100, 900)));
        return font;
    }

    TPGOpenDialog& dialog_;
    mutable int width_ = InfoPanelSize.width();
};

TPGOpenDialog::TPGOpenDialog(QWidget* Parent) : QFileDialog(Parent) {
    setOption(QFileDialog::DontUseNativeDialog);
    setFileMode(QFileDialog::ExistingFile);
    setAcceptMode(QFileDialog::AcceptOpen);
    ProgressClockBkColor = palette().color(QPalette::Button);
    ProgressClockLineColor = palette().color(QPalette::Dark);
    Filter = BuildFilter();
    setNameFilters(ToQtFilter(Filter).split(QStringLiteral(";;")));

    previewPanel_ = new TPGPreviewPanel(*this);
    infoPanel_ = new TPGInfoPanel(*this);
    auto* side = new QWidget(this);
    auto* column = new QVBoxLayout(side);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(previewPanel_);
    column->addWidget(infoPanel_);
    column->addStretch();
    if (auto* grid = qobject_cast<QGridLayout*>(layout()))
        grid->addWidget(side, 0, grid->columnCount(), grid->rowCount(), 1);

    restTimer_.setSingleShot(true);
    restTimer_.setInterval(RestMilliseconds);
    connect(&restTimer_, &QTimer::timeout, this,
            [this] { QCoreApplication::postEvent(this, new QEvent(PreviewStartEvent)); });
    connect(this, &QFileDialog::currentChanged, this, &TPGOpenDialog::SelectionChanged);
}

TPGOpenDialog::~TPGOpenDialog() {
    restTimer_.stop();
    StopWorker();
    // Events still queued for the dialog are deleted with it, and with them any finished preview.
}

QString TPGOpenDialog::BuildFilter() const {
    const auto shown = shownReaders();
    QString filter;
    if (!shown.empty()) {
        QStringList patterns;
        for (const TFileFormatReader* reader : shown) patterns << "*." + reader->Extension.toLower();
        filter = GetMessageText(25) + "|" + patterns.join(QStringLiteral("; ")) + "|";
        for (const TFileFormatReader* reader : shown)
            filter += reader->Extension.toUpper() + " - " + reader->Description + "|*." + reader->Extension.toLower() +
                      "|";
    }
    return filter + GetMessageText(26) + "|*.*";
}

void TPGOpenDialog::SetOptions(uint32_t Options) {
    if (!(Options & ofShareAware)) {
        platform::messageBox(QStringLiteral("TPGOpenDialog.Options and TPGSaveDialog.Options must include ofShareAware!"));
        Options |= ofShareAware;
    }
    options_ = Options;
}

int TPGOpenDialog::GetFilterCount() const { return UseDefaultFilter ? int(shownReaders().size()) : 0; }

QString TPGOpenDialog::GetFilterExtension(int FilterIndex) const {
    if (!UseDefaultFilter) return QString();
    const auto shown = shownReaders();
    const int i = FilterIndex - 2;
    return i >= 0 && i < int(shown.size()) ? shown[size_t(i)]->Extension.toLower() : QString();
}

QString TPGOpenDialog::ToQtFilter(const QString& PipeFilter) {
    const QStringList parts = PipeFilter.split('|');
    QStringList filters;
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        QStringList patterns = parts[i + 1].split(';', Qt::SkipEmptyParts);
        for (QString& p : patterns) p = p.trimmed();
        filters << parts[i] + " (" + patterns.join(' ') + ")";
    }
    return filters.join(QStringLiteral(";;"));
}

QString TPGOpenDialog::Execute() {
    infoValid_ = false;
    if (UseDefaultFilter) Filter = BuildFilter();
    if (!Filter.isEmpty()) setNameFilters(ToQtFilter(Filter).split(QStringLiteral(";;")));
    if (platform::showModal(*this) != QDialog::Accepted || selectedFiles().isEmpty()) return QString();
    return selectedFiles().first();
}

QSize TPGOpenDialog::PreviewBox() const { return previewPanel_->size() - QSize(4, 4); }

QStringList TPGOpenDialog::InfoLines() const {
    if (!ShowInfo || !infoValid_) return {};
    QStringList lines;
    for (const QString& text : {infoDescription_, info_.SubFormat, info_.Details})
        if (!text.isEmpty()) lines << text;
    QString size = QString::number(info_.Width) + "x" + QString::number(info_.Height) + "x" + info_.ColorsText + " " +
                   QString::number(info_.BitCount) + " " + GetMessageText(24);
    if (info_.ImageCount > 1) size += ", " + QString::number(info_.ImageCount);
    return lines << size;
}

bool TPGOpenDialog::WorkerRunning() const { return worker_ && worker_->isRunning(); }

void TPGOpenDialog::SetDisplayDepthForTesting(int BitsPerPixel) { displayDepthOverride = BitsPerPixel; }

int TPGOpenDialog::DisplayBitsPerPixel() {
    if (displayDepthOverride > 0) return displayDepthOverride;
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->depth() : 24;
}

void TPGOpenDialog::SelectionChanged(const QString& Path) {
    restTimer_.stop();
    StopWorker();
    ClearPreview();
    infoValid_ = false;
    ++generation_;
    currentPath_ = Path;
    infoPanel_->update();
    restTimer_.start();
}

void TPGOpenDialog::StartPreview() {
    ClearPreview();
    StopWorker();
    // Paths have no length limit here; a directory or a file no reader knows starts nothing.
    infoValid_ = QFileInfo(currentPath_).isFile() && GetGraphicFileInfo(currentPath_, 0, infoDescription_, info_);
    infoPanel_->updateGeometry();
    infoPanel_->update();
    if (!infoValid_) return;
    TPreviewJob job;
    job.FileName = currentPath_;
    job.Generation = ++generation_;
    job.BoxWidth = PreviewBox().width();
    job.BoxHeight = PreviewBox().height();
    job.StretchMode = StretchMode;
    job.Palette24Bit = Palette8BitSys24BitGraphic;
    job.Palette8Bit = Palette8BitSys8BitGraphic;
    job.DisplayBitsPerPixel = DisplayBitsPerPixel();
    worker_ = std::make_unique<TCreateOpenSaveDialogPaintPGThread>(job, this);
    worker_->start();
}

void TPGOpenDialog::StopWorker() {
    if (!worker_) return;
    worker_->requestInterruption();
    worker_->wait();
    worker_.reset();
}

void TPGOpenDialog::ClearPreview() {
    preview_.reset();
    clockPercent_ = -1;
    previewPanel_->update();
}

void TPGOpenDialog::showEvent(QShowEvent* Event) {
    QFileDialog::showEvent(Event);
    if (!Event->spontaneous()) platform::fitToScreen(*this, platform::WindowPlacement::UpperThird);
}

void TPGOpenDialog::customEvent(QEvent* Event) {
    switch (int(Event->type())) {
    case PreviewStartEvent: StartPreview(); break;
    case PreviewProgressEvent: {
        const auto* progress = static_cast<TPreviewProgressEvent*>(Event);
        if (progress->Generation != generation_ || !ProgressClockVisible) break;
        clockPhase_ = progress->Phase / 16;
        clockPercent_ = progress->Percent;
        previewPanel_->update();
        break;
    }
    case PreviewReadyEvent: {
        auto* ready = static_cast<TPreviewReadyEvent*>(Event);
        // A result of a superseded job stays with its event and is freed with it.
        if (ready->Generation != generation_) break;
        preview_ = std::move(ready->Graphic);
        clockPercent_ = -1;
        previewPanel_->update();
        break;
    }
    default: QFileDialog::customEvent(Event);
    }
}

QString PGOpenImageFile(QWidget* Parent, const QString& Title) {
    TPGOpenDialog dialog(Parent);
    dialog.setWindowTitle(Title);
    return dialog.Execute();
}
