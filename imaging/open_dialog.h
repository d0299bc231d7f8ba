#pragma once
// TPGOpenDialog: the file-open dialog with a preview panel, an information panel and a progress
// clock. Its filter lists the formats of the reader registry. When the selection rests on a file
// for 150 ms a worker thread loads it, fits it into the preview box and converts it for the
// display; a newer selection stops the worker first, and any result of an older job is dropped.
#include "imaging/format_registry.h"
#include "imaging/open_dialog_worker.h"
#include "imaging/pixel_graphic.h"

#include <QColor>
#include <QFileDialog>
#include <QTimer>

#include <memory>

class TPGPreviewPanel;
class TPGInfoPanel;

// The open options the dialog keeps (bits of the platform's option set).
enum TPGOpenOption : uint32_t { ofHideReadOnly = 1u << 2, ofShareAware = 1u << 11 };

class TPGOpenDialog : public QFileDialog {
    Q_OBJECT
public:
    explicit TPGOpenDialog(QWidget* Parent = nullptr);
    ~TPGOpenDialog() override;

    TStretchMode StretchMode = smPrecise;
    bool UseDefaultFilter = true;
    QColor ProgressClockBkColor;    // the button face
    QColor ProgressClockLineColor;  // the button shadow
    bool ProgressClockVisible = true;
    TPaletteIdent Palette8BitSys24BitGraphic = pOptimized252Sys16;
    TPaletteIdent Palette8BitSys8BitGraphic = pOptimized252Sys16;
    bool ShowInfo = true;
    // The filter in "Name|*.a; *.b|Other|*.c" form; shown converted to Qt's syntax.
    QString Filter;
    // Share-aware is always kept: setting options without it says so and adds it.
    void SetOptions(uint32_t Options);
    uint32_t GetOptions() const { return options_; }

    // Refreshes the filter from the registry (when UseDefaultFilter) and shows the dialog
    // modally; the chosen file, or empty when cancelled.
    QString Execute();
    virtual QString BuildFilter() const;
    int GetFilterCount() const;
    // Lower-case extension of the reader at filter position FilterIndex (1 is "Image files").
    QString GetFilterExtension(int FilterIndex) const;
    // "A|*.a; *.b|B|*.c" as "A (*.a *.b);;B (*.c)".
    static QString ToQtFilter(const QString& PipeFilter);

    // The preview box and what the panels show.
    QSize PreviewBox() const;
    const TPixelGraphic* Preview() const { return preview_.get(); }
    bool InfoValid() const { return infoValid_; }
    const QString& InfoDescription() const { return infoDescription_; }
    const TPGGraphicInfo& Info() const { return info_; }
    // The lines of the information panel (empty when it shows nothing).
    QStringList InfoLines() const;
    bool WorkerRunning() const;
    uint64_t Generation() const { return generation_; }

    // The display's bits per pixel; 0 asks the screen.
    static void SetDisplayDepthForTesting(int BitsPerPixel);
    static int DisplayBitsPerPixel();

protected:
    void customEvent(QEvent* Event) override;
    // Opens horizontally centred, a third of the free height from the top, inside the screen.
    void showEvent(QShowEvent* Event) override;

private:
    friend class TPGPreviewPanel;
    void SelectionChanged(const QString& Path);
    void StartPreview();
    void StopWorker();
    void ClearPreview();

    std::unique_ptr<TPixelGraphic> preview_;
    std::unique_ptr<TCreateOpenSaveDialogPaintPGThread> worker_;
    TPGPreviewPanel* previewPanel_ = nullptr;
    TPGInfoPanel* infoPanel_ = nullptr;
    QString currentPath_;
    QString infoDescription_;
    TPGGraphicInfo info_;
    bool infoValid_ = false;
    // Every selection change and every job takes a new number; events of older ones are dropped.
    uint64_t generation_ = 0;
    int clockPhase_ = 0, clockPercent_ = -1;
    QTimer restTimer_;
    uint32_t options_ = ofHideReadOnly | ofShareAware;
};

// Asks for an image file the library reads, through the open dialog with its preview; empty when
// the user cancels.
QString PGOpenImageFile(QWidget* Parent, const QString& Title);
