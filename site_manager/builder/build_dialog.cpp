#include "site_manager/builder/build_dialog.h"

#include "components/file_list_box.h"
#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "platform/hourglass.h"
#include "platform/replacement_batch.h"
#include "platform/undecodable_names.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/build_read_files.h"
#include "site_manager/builder/build_settings_from_dialogs.h"
#include "site_manager/builder/descriptions.h"
#include "site_manager/builder/highlighted_moves.h"
#include "site_manager/builder/name_limits.h"
#include "site_manager/builder/page_buttons.h"
#include "site_manager/builder/page_generator.h"
#include "site_manager/builder/page_names.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/builder/build_output.h"
#include "site_manager/builder/support_files.h"
#include "site_manager/builder/thumbnail_files.h"
#include "site_manager/builder/thumbnail_maker.h"
#include "site_manager/builder/thumbnail_pool.h"
#include "site_manager/builder/thumbnail_sizing.h"
#include "site_manager/file_helpers.h"
#include "site_manager/folder_owners.h"
#include "site_manager/main_window.h"
#include "site_manager/rotation_images.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QSet>
#include <QTimer>
#include <QVBoxLayout>

#include <exception>

bool CancelRequested = false;

namespace {
// Ends a build whose step has already told the user why.
struct BuildStopped {};
}  // namespace
int ThumbnailWorkerThreads = 0;

namespace {

// Why the build must not touch the rotation's folders: its folder or its thumbs (which every build
// sweeps, whatever the thumbs option says) is, or lies inside, a folder of another owner, as Site
// Options judges a site folder. Empty when the build may write.
QString otherOwnersFolderRefusal(const BuildSettings& settings) {
    const QString pageDirectory = settings.pageDirectory();
    if (pageDirectory.isEmpty()) return QString();
    const FolderOwners owners = FolderOwners::read();
    for (const QString& folder : {pageDirectory, pageDirectory + "thumbs/"})
        if (const auto owner = owners.otherOwnerOfSiteFiles(folder, tsiterecord.key))
            return "Building the rotation in " + folder + " would overwrite the files of " + describeOwner(*owner) +
                   " in " + owner->folder + "!  Nothing has been built.";
    return QString();
}

constexpr int HelpContext = 38;
const char* const TagProperty = "tag";

// The font of the page-index buttons: the chosen index font, else Arial when it is installed,
// else the first installed font.
ButtonFont buttonFont(const BuildSettings& settings) {
    ButtonFont font;
    font.Family = settings.indexFontName;
    if (font.Family.isEmpty()) {
        const QComboBox* fonts = dlgThumbOptions->indexFontName;
        if (fonts->findText("Arial", Qt::MatchFixedString) >= 0)
            font.Family = "Arial";
        else if (fonts->count() > 0)
            font.Family = fonts->itemText(0);
    }
    font.PointSize = settings.SpnindexImageFontsize;
    font.Bold = settings.chkindexBold;
    font.Italic = settings.chkindexitalics;
    return font;
}

// Loads a header or footer list file into its hidden list, one entry a line.
void loadList(QListWidget* list, const QString& fileName) {
    if (fileName.isEmpty()) return;
    list->clear();
    list->addItems(platform::readTextLines(fileName));
}

}  // namespace

TdlgBuildProgress::TdlgBuildProgress(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Build Site");

    lbximages = new QListWidget;
    lbximages->setSelectionMode(QAbstractItemView::ExtendedSelection);
    bkmkup = new QPushButton("Up");
    bkmkup->setProperty(TagProperty, -1);
    bkmkup->setToolTip("Move the selected image further up the index");
    bkmkdown = new QPushButton("Down");
    bkmkdown->setProperty(TagProperty, 1);
    bkmkdown->setToolTip("Move the selected image further down the index");
    btnexclude = new QPushButton("Exclude");
    chkNoThumbRecreate = new QCheckBox("Do not create thumbnails if they already exist");
    chkNoThumbRecreate->setChecked(true);
    btnok = new QPushButton("Start");
    btnok->setDefault(true);
    BitBtn2 = new QPushButton("Cancel");
    BitBtn1 = new QPushButton("Help");
    lblmessage = new QLabel;
    lblmessage->setTextFormat(Qt::PlainText);  // progress texts quote file names
    ProgressBar = new QProgressBar;
    ProgressBar->setTextVisible(false);
    ProgressBar->setRange(0, 1);
    ProgressBar->setValue(0);

    lbxHeader = new QListWidget(this);
    LbxFooter = new QListWidget(this);
    edtloadedheaderfile = new QLineEdit(this);
    edtloadedfooterfile = new QLineEdit(this);
    txtHTML = new QPlainTextEdit(this);
    txtHTML->setLineWrapMode(QPlainTextEdit::NoWrap);
    for (QWidget* hidden : {static_cast<QWidget*>(lbxHeader), static_cast<QWidget*>(LbxFooter),
                            static_cast<QWidget*>(edtloadedheaderfile), static_cast<QWidget*>(edtloadedfooterfile),
                            static_cast<QWidget*>(txtHTML)})
        hidden->hide();

    Timer1 = new QTimer(this);
    Timer1->setInterval(300);
    Timer1->setSingleShot(true);

    auto* moves = new QVBoxLayout;
    moves->addWidget(bkmkup);
    moves->addWidget(bkmkdown);
    moves->addWidget(btnexclude);
    moves->addStretch();
    auto* list = new QHBoxLayout;
    list->addWidget(lbximages);
    list->addLayout(moves);
    auto* layout = new QVBoxLayout(this);
    layout->addLayout(list);
    layout->addWidget(chkNoThumbRecreate);
    layout->addWidget(lblmessage);
    layout->addWidget(ProgressBar);
    layout->addLayout(buttonRow({btnok, BitBtn2, BitBtn1}));

    // The buttons follow the highlight however it moves: clicks, drags, keys, Ctrl+clicks.
    connect(lbximages, &QListWidget::itemSelectionChanged, this, [this] { lbximagesClick(); });
    connect(bkmkup, &QPushButton::clicked, this, [this] { bkmkupClick(bkmkup); });
    connect(bkmkdown, &QPushButton::clicked, this, [this] { bkmkupClick(bkmkdown); });
    connect(btnexclude, &QPushButton::clicked, this, [this] { btnexcludeClick(); });
    connect(btnok, &QPushButton::clicked, this, [this] { btnokClick(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { BitBtn2Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(Timer1, &QTimer::timeout, this, [this] { Timer1Timer(); });
    connect(edtloadedheaderfile, &QLineEdit::textChanged, this, [this] { edtloadedheaderfileChange(); });
    connect(edtloadedfooterfile, &QLineEdit::textChanged, this, [this] { edtloadedfooterfileChange(); });

    lbximagesClick();
}

void TdlgBuildProgress::FormShow() {
    {
        platform::Hourglass hourglass;
        // A build that was killed left its half-written files behind: they go before the images
        // are listed, so that none is taken for a photo or published with the gallery.
        const BuildSettings settings = buildSettingsFromDialogs();
        if (!settings.pageDirectory().isEmpty() && otherOwnersFolderRefusal(settings).isEmpty()) {
            removeLeftoverTemporaries(settings.pageDirectory());
            removeLeftoverTemporaries(thumbnailDirectory(settings));
        }
        lbximages->clear();
        lbximages->addItems(buildImagesOf(dlgEditSite->FileBox->fileNames()));
    }
    lbximagesClick();
    if (BuildAllMode) Timer1->start();
}

void TdlgBuildProgress::lbximagesClick() {
    const bool highlighted = !lbximages->selectedItems().isEmpty();
    bkmkup->setEnabled(highlighted);
    bkmkdown->setEnabled(highlighted);
    btnexclude->setEnabled(highlighted);
}

void TdlgBuildProgress::btnexcludeClick() {
    if (lbximages->selectedItems().isEmpty()) return;
    int i = 0;
    while (i < lbximages->count()) {
        if (lbximages->item(i)->isSelected())
            delete lbximages->takeItem(i);
        else
            ++i;
    }
    lbximages->update();
    lbximagesClick();
}

void TdlgBuildProgress::bkmkupClick(QPushButton* sender) {
    moveHighlightedRows(lbximages, sender->property(TagProperty).toInt());
}

void TdlgBuildProgress::btnokClick() {
    if (!NoThumbnailMode && lbximages->count() == 0) {
        platform::showWarning("The current Site or Rotation does not contain any images!");
        return;
    }
    // Before anything is written, renamed or swept, the description file's conversion too.
    if (const QString refusal = otherOwnersFolderRefusal(buildSettingsFromDialogs()); !refusal.isEmpty()) {
        platform::showWarning(refusal);
        return;
    }
    DescriptionIniPath.clear();
    std::optional<DescriptionSource> source;  // a temporary conversion lives until the build ends
    if (dlgThumbOptions->rdbshowdescription->isChecked()) {
        source = prepareDescriptionFile(dlgThumbOptions->edtdescripfile->text());
        if (!source) {
            platform::showWarning("An error was encountered reading your description file!");
            return;
        }
        DescriptionIniPath = source->IniPath;
    }

    if (build()) {
        CurrentRotationStatus = 2;
        if (!BuildAllMode && platform::confirmYesNo("Your build has been completed.  Would you like to preview it now?"))
            dlgEditSite->btnpreviewClick(nullptr);
        done(platform::mrOk);
    }
    if (source && source->Temporary) DescriptionIniPath.clear();  // its file goes with the source
}

void TdlgBuildProgress::BitBtn2Click() {
    if (!btnok->isEnabled()) {
        CancelRequested = true;
        setResult(platform::mrNone);
        return;
    }
    done(platform::mrCancel);
}

void TdlgBuildProgress::reject() {
    if (building_) {
        BitBtn2Click();
        return;
    }
    platform::ModalDialog::reject();
}

void TdlgBuildProgress::BitBtn1Click() { platform::showHelpContext(HelpContext); }

void TdlgBuildProgress::Timer1Timer() {
    Timer1->stop();
    btnokClick();
}

bool TdlgBuildProgress::CheckCancel() {
    // Events (repainting, Cancel) are let through at most every 50 ms: a check per item would cost
    // more than small items themselves. A cancel already requested is answered at once.
    if (!CancelRequested && sinceEvents_.isValid() && sinceEvents_.elapsed() < RefreshMilliseconds) return false;
    holdProgressPainting(false);
    QCoreApplication::processEvents();
    sinceEvents_.start();
    bool stop = false;
    if (CancelRequested) {
        CancelRequested = false;
        stop = platform::confirmYesNo("Are you sure you want to cancel processing of your Site Build?");
    }
    holdProgressPainting(building_);
    return stop;
}

void TdlgBuildProgress::edtloadedheaderfileChange() {
    if (edtloadedheaderfile->text().isEmpty()) return;
    loadList(lbxHeader, edtloadedheaderfile->text());
}

void TdlgBuildProgress::edtloadedfooterfileChange() {
    if (edtloadedfooterfile->text().isEmpty()) return;
    loadList(LbxFooter, edtloadedfooterfile->text());
}

void TdlgBuildProgress::holdProgressPainting(bool hold) {
    // The bar and the text take every count and message at once, but a progress bar repaints
    // itself (and with it the pending text) on each new value; while held it is painted only when
    // events are let through (CheckCancel, or a box's own event loop for the text).
    ProgressBar->setUpdatesEnabled(!hold);
}

void TdlgBuildProgress::step() { ProgressBar->setValue(ProgressBar->value() + 1); }

void TdlgBuildProgress::showMessage(const QString& text) {
    lblmessage->setText(text);
    // The text is painted with the next event check (CheckCancel), at most every 50 ms.
}

bool TdlgBuildProgress::publishLowercaseNames(const QString& pageDirectory, QStringList& images) {
    for (int i = 0; i < images.size(); ++i) {
        const QString lower = images[i].toLower();
        if (lower == images[i]) continue;
        const QString from = pageDirectory + images[i], to = pageDirectory + lower;
        // Another file that already has the lower-case name is never replaced.
        if ((platform::fileExists(to) && !sameFile(from, to)) || !platform::renameFile(from, to)) {
            platform::showWarning("Error encountered renaming the image, " + images[i] + ", to " + lower +
                                  ".  Building will terminate!");
            return false;
        }
        for (QListWidgetItem* item : lbximages->findItems(images[i], Qt::MatchExactly | Qt::MatchCaseSensitive))
            item->setText(lower);
        images[i] = lower;
    }
    return true;
}

void TdlgBuildProgress::reportLeftOutImages(const QString& reason, const QStringList& names) {
    if (names.isEmpty()) return;
    platform::showInformation("These images are left out of the gallery because " + reason + ":\n\n" +
                              names.join('\n') + "\n\nRename them to show them in the gallery.");
}

void TdlgBuildProgress::reportUnreadableNames(const QString& pageDirectory) {
    QStringList names;
    for (const QString& name : platform::undecodableFileNames(pageDirectory))
        if (matchesFileMask(name, dlgEditSite->FileBox->Mask) && isRotationImage(name, SupportFileNames)) names << name;
    reportLeftOutImages("their names are not valid UTF-8 text", names);
}

bool TdlgBuildProgress::leaveOutTooLongNames(const BuildSettings& settings, QStringList& images) {
    const QStringList tooLong = imagesWithTooLongOutputNames(settings, images);
    if (tooLong.isEmpty()) return true;
    reportLeftOutImages("their names are too long for the file names of their thumbnails or pages", tooLong);
    for (const QString& name : tooLong) images.removeOne(name);
    if (images.isEmpty()) {
        platform::showWarning("The current Site or Rotation does not contain any images!");
        return false;
    }
    return true;
}

bool TdlgBuildProgress::refusePageOverReadFile(const BuildSettings& settings, const QStringList& images) {
    const std::optional<PageOverReadFile> clash = pageOverReadFile(PageGenerator(settings, images));
    if (!clash) return false;
    platform::showWarning("Error encountered creating the page, " + clash->Page + ".  It would replace the " +
                          clash->Read.Kind + ", " + clash->Read.Path + ".  Building will terminate!");
    return true;
}

bool TdlgBuildProgress::removeThumbnailsOfRemovedImages(const BuildSettings& settings) {
    const QStringList failed = removeOrphanedThumbnails(settings);
    if (failed.isEmpty()) return true;
    platform::showWarning("Error encountered deleting the thumbnail, " + failed.first() +
                          ".  Building will terminate!");
    return false;
}

bool TdlgBuildProgress::makeDirectories(const QString& thumbnailDirectory) {
    if (thumbnailDirectory.isEmpty() ||
        (!platform::directoryExists(thumbnailDirectory) && !createnewdirectory(thumbnailDirectory))) {
        platform::showWarning("Error encountered creating the directory, " + thumbnailDirectory +
                              ".  Building will terminate!");
        return false;
    }
    return true;
}

bool TdlgBuildProgress::copySupportFiles(const BuildSettings& settings) {
    const QString pageDirectory = settings.pageDirectory();
    QStringList templateDirectories;
    for (const QString& file : {settings.ThumbnailTemplate, settings.ImageTemplate})
        if (!file.isEmpty()) templateDirectories << fixpath(QFileInfo(file).absolutePath(), true);
    // Navigation graphics are linked by their file name alone, wherever they come from.
    const QStringList graphics{settings.edtnextfile, settings.edtpreviousfile, settings.edtindexfile};
    for (const QString& source : SupportFiles) {
        if (source.trimmed().isEmpty()) continue;  // an unused navigation graphic
        showMessage("Copying file, " + source);
        try {
            const QString found = findFileIgnoringCase(QString(), QString(source).replace('\\', '/'));
            const QString target =
                pageDirectory + supportFileTarget(source, graphics.contains(source) ? QStringList() : templateDirectories,
                                                  settings.ForceLowercase);
            QDir().mkpath(QFileInfo(target).absolutePath());
            // A file that already lies in the rotation directory would be deleted by replacing it
            // with itself.
            const QString from = found.isEmpty() ? source : found;
            // Pages that link a file that could not be copied would go live broken: the build stops.
            if (!sameFile(found, target) && copyReplacing(from, target, false) == CopyOutcome::Failed) {
                platform::showWarning("An error was encountered copying the file, " + from + "!");
                return false;
            }
        } catch (const std::exception&) {
            platform::messageBox("Error encountered copying the file, " + source + ", to your site directory!");
            return false;
        }
        if (CheckCancel()) return false;
    }
    return true;
}

bool TdlgBuildProgress::makePageButtons(const BuildSettings& settings, int pageCount, bool& useButtons) {
    const QString pageDirectory = settings.pageDirectory();
    const QString selected = settings.edtSelectedImageButton.isEmpty() ? settings.edtotherImageButton
                                                                        : settings.edtSelectedImageButton;
    const QString other = settings.edtotherImageButton.isEmpty() ? settings.edtSelectedImageButton
                                                                 : settings.edtotherImageButton;
    const ButtonFont font = buttonFont(settings);
    platform::ReplacementBatch output;
    for (int n = 1; n <= pageCount; ++n) {
        step();
        showMessage("Creating Buttons for page " + QString::number(n));
        const QString label = settings.edtpagenumberprefix + QString::number(n);
        // Each style graphic decides its buttons' format, so the two kinds may differ.
        bool notWritten = false;
        bool made = createbutton(selected, pageDirectory + ApplyLowercase(settings, PageButtonFileName(n, true)),
                                 comboColourValue(settings.cmbIndexTextColour), label, font, &notWritten, &output);
        currentButtonExtension_ = ButtonExtension;
        made = made && createbutton(other, pageDirectory + ApplyLowercase(settings, PageButtonFileName(n, false)),
                                    comboColourValue(settings.cmbNonCurrentIndexText), label, font, &notWritten,
                                    &output);
        otherButtonExtension_ = ButtonExtension;
        // A directory that cannot take a button cannot take the pages either.
        if (notWritten) return reportWriteFailure(pageDirectory);
        if (!made) {
            useButtons = false;
            const bool textIndex = platform::askOkCancel(
                "An error was encountered creating your page index buttons.  A text index will be created instead.");
            return textIndex && placeOutput(output, pageDirectory);
        }
        if (CheckCancel()) return false;
    }
    return placeOutput(output, pageDirectory);
}

bool TdlgBuildProgress::makeThumbnails(const BuildSettings& settings, const QStringList& images) {
    const QString pageDirectory = settings.pageDirectory();
    const QString thumbnailDirectory = ::thumbnailDirectory(settings);
    // Which images get a thumbnail is settled once, before the workers start, as each image's turn
    // would settle it: with the option on, a thumbnail that exists or that an earlier image of
    // this build makes (Beach.jpe and Beach.jpg share one) is kept. The outcomes taken below must
    // match the sources one for one.
    QList<bool> wanted;
    QSet<QString> made;
    QStringList sources;
    for (const QString& name : images) {
        const QString thumbnail = ThumbnailFileName(name);
        const bool keep = chkNoThumbRecreate->isChecked() &&
                          (made.contains(thumbnail) || platform::fileExists(thumbnailDirectory + thumbnail));
        wanted << !keep;
        if (keep) continue;
        made.insert(thumbnail);
        sources << pageDirectory + name;
    }
    // Workers decode and shrink ahead; the outcomes are taken here in build order, so messages,
    // the count and any failure box come at each image's turn.
    ThumbnailPool pool(sources, settings.SpnThumbW, settings.SpnThumbH, ThumbnailWorkerThreads);
    platform::ReplacementBatch output;
    bool cancelled = false;
    const auto keepWaiting = [&] { return !(cancelled = CheckCancel()); };
    for (int i = 0; i < images.size(); ++i) {
        const QString& name = images[i];
        step();
        if (wanted[i]) {
            showMessage("Creating Thumbnail for " + name);
            std::optional<ShrunkImage> shrunk = pool.takeNext(keepWaiting);
            if (cancelled) return false;
            const bool shrunkWell = shrunk && shrunk->Outcome == ShrunkImage::Result::Made;
            // An image that cannot be read may be skipped; a thumbnail that cannot be written
            // stops the build, as every later file would fail alike.
            if (shrunkWell && !writeThumbnail(*shrunk->Pixels, thumbnailDirectory + ThumbnailFileName(name),
                                              settings.spnJPEGQuality, &output))
                return reportWriteFailure(thumbnailDirectory);
            if (!shrunkWell && !askToContinueAfterThumbnailError()) {
                platform::messageBox("Error encountered creating the thumbnail, " + name);
                return false;
            }
        }
        if (CheckCancel()) return false;
    }
    return placeOutput(output, thumbnailDirectory);
}

bool TdlgBuildProgress::placeOutput(platform::ReplacementBatch& step, const QString& directory) {
    return step.finish().isEmpty() || reportWriteFailure(directory);
}

bool TdlgBuildProgress::reportWriteFailure(const QString& directory) {
    platform::showWarning("Error encountered writing to the directory, " + directory + ".  Building will terminate!");
    return false;
}

bool TdlgBuildProgress::build() {
    CancelRequested = false;
    bool result = true;
    building_ = true;
    sinceEvents_.invalidate();
    holdProgressPainting(true);
    btnok->setEnabled(false);
    {
        platform::Hourglass hourglass;
        try {
            QLineEdit* prefixEdit = dlgThumbOptions->edtpagenumberprefix;
            prefixEdit->setText(normalisedPagePrefix(prefixEdit->text()));

            QStringList images;
            for (int i = 0; i < lbximages->count(); ++i) images << lbximages->item(i)->text();
            BuildSettings built = buildSettingsFromDialogs();
            if (!leaveOutTooLongNames(built, images)) throw BuildStopped();
            if (refusePageOverReadFile(built, images)) throw BuildStopped();
            if (built.ForceLowercase && !publishLowercaseNames(built.pageDirectory(), images)) throw BuildStopped();
            if (!removeThumbnailsOfRemovedImages(built)) throw BuildStopped();
            platform::ReplacementBatch pageStep;  // before the pages that write into it
            PageGenerator pages(std::move(built), images);
            pages.setOutput(&pageStep);
            const BuildSettings& settings = pages.settings();
            pages.setMessageHandler([this](const QString& text) { showMessage(text); });
            pages.setDescriptionIniPath(DescriptionIniPath);
            pages.resetListPositions();
            const int pageCount = pages.PageCount();

            bool useButtons = settings.chkImageButtons &&
                              (!settings.edtSelectedImageButton.isEmpty() || !settings.edtotherImageButton.isEmpty());

            int maximum = int(SupportFiles.size()) + pages.ImageCount() + pageCount;
            if (settings.rdbHTMLImageWindow) maximum += pages.ImageCount();
            if (useButtons) maximum += pageCount;
            ProgressBar->setRange(0, std::max(1, maximum));
            ProgressBar->setValue(0);

            const QString pageDirectory = settings.pageDirectory();
            const QString thumbs = thumbnailDirectory(settings);
            reportUnreadableNames(pageDirectory);
            const auto afterPage = [this] {
                step();
                return CheckCancel();
            };
            result = makeDirectories(thumbs) && !CheckCancel();
            result = result && copySupportFiles(settings);
            if (result && useButtons && pageCount > 0)
                result = makePageButtons(settings, pageCount, useButtons);
            pages.setUseButtons(useButtons);
            pages.setButtonExtension(currentButtonExtension_, otherButtonExtension_);
            if (result && !settings.NoThumbnailMode) result = makeThumbnails(settings, images);
            if (result) {
                const PageGenerator::RunResult run = pages.writeImagePages(afterPage);
                if (run == PageGenerator::RunResult::Failed)
                    platform::showWarning(
                        "Error encountered creating your Image Display pages.  Please ensure you have enough disk space");
                result = run == PageGenerator::RunResult::Done && placeOutput(pageStep, pageDirectory);
            }
            if (result) {
                const PageGenerator::RunResult run = pages.writeThumbPages(afterPage);
                if (run == PageGenerator::RunResult::Failed)
                    platform::showWarning("Error encountered creating your HTML pages.  Please ensure you have enough disk space");
                result = run == PageGenerator::RunResult::Done && placeOutput(pageStep, pageDirectory);
            }
        } catch (const std::exception&) {
            result = false;
        } catch (const BuildStopped&) {
            result = false;
        }
    }
    holdProgressPainting(false);
    lblmessage->clear();
    ProgressBar->setValue(0);
    btnok->setEnabled(true);
    building_ = false;
    return result;
}
