#pragma once
// A grid of image files, one cell each with its thumbnail and name, filled from a file list box,
// a list box or a string list. Items are numbered row by row (index = column + row x columns).
// The grid keeps its own selection (Qt's is off) with mouse rules of its own: Ctrl-click
// toggles, Shift-click selects from the anchor, a right click on a selected item keeps the
// selection. Thumbnails are made when their cells are first painted (on the GUI thread) and kept
// in a memory cache and, when a cache folder is set, on disk.
#include "components/thumb_disk_cache.h"
#include "components/thumb_image_loader.h"
#include "components/thumb_memory_cache.h"

#include <QPointer>
#include <QStringList>
#include <QTableWidget>

#include <algorithm>
#include <vector>

class QPainter;

enum TThumbDisplayType { tdtLargeIcon, tdtIconInfo, tdtFilename };

class TXThumbGrid : public QTableWidget {
    Q_OBJECT
public:
    // MemoryCacheSlots fixes the ring of the memory cache (MemoryCacheMaxCacheCount at creation).
    explicit TXThumbGrid(QWidget* parent = nullptr, int MemoryCacheSlots = 100);
    ~TXThumbGrid() override;

    // Fills the grid from a TFileListBox (its directory + each name) or a QListWidget (each item
    // as a path); other sources throw std::runtime_error("File source is not of compatible type").
    // The source is not owned; the grid reads it again when its column count changes.
    void LoadFromSource(QObject* Source, bool ResetPosition, bool SelectCurrent);
    // The same from a list of paths (kept by the grid).
    void LoadFromSource(const QStringList& Source, bool ResetPosition, bool SelectCurrent);

    int Count() const { return int(paths_.size()); }
    QString Path(int Index) const;  // "" outside 0..Count-1
    QString Cells(int Column, int Row) const { return Path(indexOf(Column, Row)); }

    // Selection.
    int SelectedCount() const;
    bool IsSelected(int Index) const;
    // Clears List and adds the selected paths in index order; returns their number.
    int GetSelectedFiles(QStringList& List) const;
    void GetSelectedIndexes(QStringList& List) const;
    void SetSelectedIndexes(const QStringList& List);  // entries that are not indexes are skipped
    int CurrentIndex() const { return current_; }
    void GoToIndex(int Index);  // 0..Count-1 becomes current and is scrolled into view

    // Layout properties; their writers reshape the cells.
    int ThumbnailWidth() const { return thumbnailWidth_; }
    void SetThumbnailWidth(int Width);
    int ThumbnailHeight() const { return thumbnailHeight_; }
    void SetThumbnailHeight(int Height);
    int FilenameTextWidth() const { return filenameTextWidth_; }
    void SetFilenameTextWidth(int Width);
    TThumbDisplayType ThumbDisplayType() const { return displayType_; }
    void SetThumbDisplayType(TThumbDisplayType Type);
    int CellPadding() const { return cellPadding_; }
    void SetCellPadding(int Padding);

    // Disk cache (off while no folder is set).
    QString DiskCacheDirectory() const { return diskCache_.Directory(); }
    // Throws std::runtime_error("Directory does no exist!") for a missing folder.
    void SetDiskCacheDirectory(const QString& Folder) { diskCache_.SetDirectory(Folder); }
    int DiskCacheMaxCacheCount() const { return diskCache_.MaxCount; }
    void SetDiskCacheMaxCacheCount(int Count) { diskCache_.MaxCount = Count; }
    QString DiskCacheSaveFormat() const { return diskCache_.SaveFormat; }
    void SetDiskCacheSaveFormat(const QString& Format) { diskCache_.SaveFormat = Format; }

    // Plain options, read when cells are drawn or the mouse is used.
    int16_t MemoryCacheMaxCacheCount = 100;
    bool HighlightCurrentCell = true;
    bool HideFileExtensions = false;
    bool MultipleSelect = true;
    bool DisableComponentKeyEventHandling = true;
    QString SupportedFormats = QStringLiteral("*.jpg;*.bmp;*.jpeg;");
    QString LoadErrorThumb;           // image shown when a file cannot be decoded
    QString NonSupportedFormatThumb;  // image shown for files of other extensions

    // Paints one cell (the delegate calls it for every exposed cell).
    void DrawCell(QPainter& Painter, int Column, int Row, const QRect& Rect);

signals:
    // The mouse as the grid saw it, after its own selection step; positions in viewport pixels.
    void MouseDown(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, QPoint Position);
    void MouseUp(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, QPoint Position);
    void MouseMove(Qt::MouseButtons Buttons, Qt::KeyboardModifiers Modifiers, QPoint Position);
    void DblClick();

protected:
    void resizeEvent(QResizeEvent* Event) override;
    void mousePressEvent(QMouseEvent* Event) override;
    void mouseReleaseEvent(QMouseEvent* Event) override;
    void mouseMoveEvent(QMouseEvent* Event) override;
    void mouseDoubleClickEvent(QMouseEvent* Event) override;
    void keyPressEvent(QKeyEvent* Event) override;
    void keyReleaseEvent(QKeyEvent* Event) override;
    // The grid's own cursor never moves off the current item: the component moves it.
    QModelIndex moveCursor(CursorAction Action, Qt::KeyboardModifiers Modifiers) override;

private:
    enum class SourceKind { None, Widget, List };

    int indexOf(int Column, int Row) const { return Column + Row * std::max(1, columnCount()); }
    int itemAt(const QPoint& Position) const;
    QStringList readSource() const;
    void fill(const QStringList& Paths);
    void loadFromSource(bool ResetPosition, bool SelectCurrent);
    void recomputeColumns();
    void applyLayout();
    void moveCurrentCell(bool Scroll);

    // Selection steps; FromMouse is false for steps the grid runs itself (keys, filling).
    void mouseDownStep(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, const QPoint& Position,
                       bool FromMouse);
    void mouseUpStep(Qt::MouseButton Button, Qt::KeyboardModifiers Modifiers, bool FromMouse);
    void clearSelection();
    void select(int Index, bool ByStep);
    int keyTarget(int Key) const;

    TThumbnailPtr thumbnailFor(const QString& Path);
    // The box a thumbnail is fitted into: half the cell's picture size in the icon-and-info view.
    QSize thumbBox() const;
    int fontPixelHeight() const;

    SourceKind sourceKind_ = SourceKind::None;
    QPointer<QObject> sourceWidget_;
    QStringList sourceList_;

    QStringList paths_;
    std::vector<char> selected_;
    std::vector<char> selectedByStep_;  // selected by an earlier Shift or Ctrl step
    int current_ = -1;
    int previous_ = -1;
    int anchor_ = 0;
    bool selectedAtPress_ = false;
    bool pressHitNothing_ = false;
    bool updating_ = false;

    int thumbnailWidth_ = 90;
    int thumbnailHeight_ = 75;
    int filenameTextWidth_ = 70;
    int cellPadding_ = 5;
    TThumbDisplayType displayType_ = tdtFilename;

    TThumbMemoryCache memoryCache_;
    TThumbDiskCache diskCache_;
};
