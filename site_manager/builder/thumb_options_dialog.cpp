#include "site_manager/builder/thumb_options_dialog.h"

#include "imaging/open_dialog.h"
#include "platform/dialogs.h"
#include "platform/help.h"
#include "platform/shell_open.h"
#include "platform/typed_file_name_combo.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/text_format.h"
#include "site_manager/builder/header_footer_editor.h"
#include "site_manager/builder/header_footer_editor_text.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QEvent>
#include <QFile>
#include <QFontDatabase>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <QVBoxLayout>

#include <algorithm>
#include <array>

TdlgThumbOptions* dlgThumbOptions = nullptr;

namespace {

// Palette entries 1-13 as 0x00BBGGRR values.
constexpr std::array<std::uint32_t, 13> kPalette = {
    0x000000,  // black
    0xFFFFFF,  // white
    0x808080,  // grey
    0xC0C0C0,  // silver
    0x00FFFF,  // yellow
    0x808000,  // teal
    0x008000,  // green
    0x0000FF,  // red
    0x800080,  // purple
    0x800000,  // navy
    0x000080,  // maroon
    0xFF0000,  // blue
    0xFF00FF,  // fuchsia
};
constexpr std::uint32_t kSilver = 0xC0C0C0;
constexpr int kOtherEntry = 14;

// Help contexts of the pages, in page order.
constexpr std::array<int, 6> kPageHelpContexts = {31, 32, 32, 33, 34, 36};

QColor toQColor(std::uint32_t colour) {
    return QColor(int(colour & 0xFF), int((colour >> 8) & 0xFF), int((colour >> 16) & 0xFF));
}

std::uint32_t fromQColor(const QColor& colour) {
    return std::uint32_t(colour.red()) | (std::uint32_t(colour.green()) << 8) | (std::uint32_t(colour.blue()) << 16);
}

QSpinBox* spinBox(int minimum, int maximum, int step, int value) {
    auto* spin = new QSpinBox;
    spin->setRange(minimum, maximum);
    spin->setSingleStep(step);
    spin->setValue(value);
    return spin;
}

QComboBox* listCombo(const QStringList& items, int index) {
    auto* combo = new QComboBox;
    combo->addItems(items);
    combo->setCurrentIndex(index);
    return combo;
}

QCheckBox* checkBox(const QString& caption, bool checked) {
    auto* check = new QCheckBox(caption);
    check->setChecked(checked);
    return check;
}

QHBoxLayout* hbox(std::initializer_list<QWidget*> widgets) {
    auto* row = new QHBoxLayout;
    for (QWidget* widget : widgets) row->addWidget(widget);
    return row;
}

void enable(std::initializer_list<QWidget*> widgets, bool enabled) {
    for (QWidget* widget : widgets) widget->setEnabled(enabled);
}

bool fileMissing(const QString& path) { return path.isEmpty() || !QFile::exists(path); }

// Runs a handler when the watched control loses the focus.
class FocusOutWatcher : public QObject {
public:
    FocusOutWatcher(QObject* parent, std::function<void()> onExit) : QObject(parent), onExit_(std::move(onExit)) {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) onExit_();
        return QObject::eventFilter(watched, event);
    }

private:
    std::function<void()> onExit_;
};

const QString kImageFilter = "Image files (*.gif *.jpeg *.jpg);;GIF Files (*.gif);;JPEG Files (*.jpeg *.jpg)";

}  // namespace

TdlgThumbOptions::TdlgThumbOptions(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("Settings");
    PageControl1 = new QTabWidget;
    PageControl1->setUsesScrollButtons(false);  // all six page tabs stay in view
    buildThumbnailsPage();
    buildPageIndexPage();
    buildPageIndex2Page();
    buildImageDisplayPage();
    buildPageTextPage();
    buildOtherPage();

    btnOK = new QPushButton("OK");
    btnOK->setDefault(true);
    btnCancel = new QPushButton("Cancel");
    btnHelp = new QPushButton("Help");

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(PageControl1);
    layout->addLayout(buttonRow({btnOK, btnCancel, btnHelp}));

    connectHandlers();

    // The controls start consistent with their defaults.
    cmbLinkEnclosureChange();
    rdbDisplayChange();
    chkImageButtonsClick();
    chkmaximagesizeClick();
    fontChoiceClick();
    filenameDisplayClick();
}

void TdlgThumbOptions::buildThumbnailsPage() {
    SpnThumbW = spinBox(20, 900, 10, 100);
    SpnThumbH = spinBox(20, 900, 10, 100);
    spnJPEGQuality = spinBox(1, 100, 1, 70);
    spnHorzCOunt = spinBox(1, 100, 1, 5);
    spnVertCOunt = spinBox(1, 100, 1, 4);
    spnImageborder = spinBox(0, 9, 1, 2);
    spnCellPadding = spinBox(0, 30, 1, 10);
    spnCellSpacing = spinBox(0, 20, 1, 3);

    rdbshownothing = new QRadioButton("Do not show filenames");
    rdbshowfilenamenoext = new QRadioButton("Show filenames without extensions (e.g. MyPrettyPicture)");
    rdbshowfilenamewithext = new QRadioButton("Show filenames with extensions (e.g. MyPrettyPicture.jpg)");
    rdbshowdescription = new QRadioButton("Read image description from file:");
    rdbshowfilenamenoext->setChecked(true);
    edtdescripfile = new QLineEdit;
    btnbrowsedescrip = new QPushButton("Browse..");
    chkShowFIlenameWhenNoDesc = checkBox("Show filename when there is no description", true);

    auto* sizes = new QGridLayout;
    const std::pair<const char*, QSpinBox*> rows[] = {
        {"Thumbnail width:", SpnThumbW},          {"Thumbnail height:", SpnThumbH},
        {"JPEG quality:", spnJPEGQuality},        {"Thumbnails across:", spnHorzCOunt},
        {"Thumbnails down:", spnVertCOunt},       {"Thumbnail border:", spnImageborder},
        {"Cell padding:", spnCellPadding},        {"Cell spacing:", spnCellSpacing},
    };
    int index = 0;
    for (const auto& [caption, spin] : rows) {
        sizes->addWidget(new QLabel(caption), index / 2, (index % 2) * 2);
        sizes->addWidget(spin, index / 2, (index % 2) * 2 + 1);
        ++index;
    }

    auto* names = new QGroupBox("Filenames");
    auto* namesLayout = new QVBoxLayout(names);
    for (QWidget* widget : {static_cast<QWidget*>(rdbshownothing), static_cast<QWidget*>(rdbshowfilenamenoext),
                            static_cast<QWidget*>(rdbshowfilenamewithext), static_cast<QWidget*>(rdbshowdescription)})
        namesLayout->addWidget(widget);
    namesLayout->addLayout(hbox({edtdescripfile, btnbrowsedescrip}));
    namesLayout->addWidget(chkShowFIlenameWhenNoDesc);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(sizes);
    layout->addWidget(names);
    layout->addStretch();
    PageControl1->addTab(page, "Thumbnails");
}

void TdlgThumbOptions::buildPageIndexPage() {
    rgpIndexLayout = new TRadioGroup("Index Layout", {"Show Index in a vertical column", "Show Index in horizontal rows"});
    rgpIndexLayout->setItemIndex(0);
    edtpagenumberprefix = new QLineEdit("Page");
    chkImageButtons = checkBox("Use image buttons for page index", false);
    lblSelectedImageButton = new QLabel("Current page button:");
    edtSelectedImageButton = new QLineEdit;
    btnbrowseselected = new QPushButton("Browse..");
    lblotherImageButton = new QLabel("Other page buttons:");
    edtotherImageButton = new QLineEdit;
    btnbrowseother = new QPushButton("Browse..");
    chkIndexInThumbPages = checkBox("Insert indexes in Thumbnail pages", true);
    chkIndexInImagePages = checkBox("Insert indexes in image display pages", true);

    auto* buttons = new QGridLayout;
    buttons->addWidget(lblSelectedImageButton, 0, 0);
    buttons->addWidget(edtSelectedImageButton, 0, 1);
    buttons->addWidget(btnbrowseselected, 0, 2);
    buttons->addWidget(lblotherImageButton, 1, 0);
    buttons->addWidget(edtotherImageButton, 1, 1);
    buttons->addWidget(btnbrowseother, 1, 2);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(rgpIndexLayout);
    layout->addLayout(hbox({new QLabel("Page number prefix:"), edtpagenumberprefix}));
    layout->addWidget(chkImageButtons);
    layout->addLayout(buttons);
    layout->addWidget(chkIndexInThumbPages);
    layout->addWidget(chkIndexInImagePages);
    layout->addStretch();
    PageControl1->addTab(page, "Page Index");
}

void TdlgThumbOptions::buildPageIndex2Page() {
    const auto colourCombo = [](QLineEdit*& edit) {
        auto* combo = new TColourCombo;
        edit = new QLineEdit;
        edit->setReadOnly(true);
        combo->ValueEdit = edit;
        return combo;
    };
    const QStringList fontSizes = {"-2", "-1", "Default", "+1", "+2", "+3", "+4"};

    cmbIndexTextColour = colourCombo(edtindexTextColour);
    lblNonCurrentIndexText = new QLabel("Other page button text colour:");
    cmbNonCurrentIndexText = colourCombo(edtNonCurrentIndexText);
    rdbindexfontdefault = new QRadioButton("Use the default Font");
    rdbindexfontcustom = new QRadioButton("Use a custom font:");
    rdbindexfontdefault->setChecked(true);
    indexFontName = new QComboBox;
    indexFontName->setEditable(true);
    GetFontNames(indexFontName);
    indexFontName->setEditText(QString());
    lblindexFontNameHint = new QLabel("(several fonts may be separated by commas)");
    chkindexBold = checkBox("Bold", false);
    chkindexitalics = checkBox("Italics", false);
    lblindexFontsize = new QLabel("Text size:");
    cmbindexFontsize = listCombo(fontSizes, 2);
    lblindexImageFontsize = new QLabel("Button text size (points):");
    SpnindexImageFontsize = spinBox(2, 144, 1, 10);
    cmbLinkEnclosure = listCombo({"None", "< >", "> <", "[  ]", "-  -"}, 0);
    lblLinkEncColour = new QLabel("Enclosure colour:");
    cmbLinkEncColour = colourCombo(edtLinkEncColour);

    auto* colours = new QGridLayout;
    colours->addWidget(new QLabel("Current page text colour:"), 0, 0);
    colours->addWidget(cmbIndexTextColour, 0, 1);
    colours->addWidget(edtindexTextColour, 0, 2);
    colours->addWidget(lblNonCurrentIndexText, 1, 0);
    colours->addWidget(cmbNonCurrentIndexText, 1, 1);
    colours->addWidget(edtNonCurrentIndexText, 1, 2);

    auto* font = new QGroupBox("Index Font");
    auto* fontLayout = new QGridLayout(font);
    fontLayout->addWidget(rdbindexfontdefault, 0, 0, 1, 2);
    fontLayout->addWidget(rdbindexfontcustom, 1, 0);
    fontLayout->addWidget(indexFontName, 1, 1);
    fontLayout->addWidget(lblindexFontNameHint, 2, 1);
    fontLayout->addLayout(hbox({chkindexBold, chkindexitalics}), 3, 0, 1, 2);
    fontLayout->addWidget(lblindexFontsize, 4, 0);
    fontLayout->addWidget(cmbindexFontsize, 4, 1);
    fontLayout->addWidget(lblindexImageFontsize, 5, 0);
    fontLayout->addWidget(SpnindexImageFontsize, 5, 1);

    auto* enclosure = new QGridLayout;
    enclosure->addWidget(new QLabel("Link enclosure:"), 0, 0);
    enclosure->addWidget(cmbLinkEnclosure, 0, 1);
    enclosure->addWidget(lblLinkEncColour, 1, 0);
    enclosure->addWidget(cmbLinkEncColour, 1, 1);
    enclosure->addWidget(edtLinkEncColour, 1, 2);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addLayout(colours);
    layout->addWidget(font);
    layout->addLayout(enclosure);
    layout->addStretch();
    PageControl1->addTab(page, "Page Index 2");
}

void TdlgThumbOptions::buildImageDisplayPage() {
    rdbDisplayasimage = new QRadioButton("Only the image is displayed in the browser");
    rdbHTMLImageWindow = new QRadioButton("An HTML Image page is displayed built on the following settings:");
    rdbDisplayasimage->setChecked(true);
    lblimagestyle = new QLabel("Image template:");
    cmbimagestyle = new QComboBox;
    cmbimagestyle->setEditable(true);
    cmbimagestyle->setInsertPolicy(QComboBox::NoInsert);
    platform::keepTypedFileName(cmbimagestyle);
    btnbrowseimagestyle = new QPushButton("Browse..");
    btnTestCompliance = new QPushButton("Test Compliance");
    btnViewPage = new QPushButton("View Page");
    chkImageHeading = checkBox("Show Image filename as heading", false);
    lblimageHeader = new QLabel("Header:");
    cmbimageHeader = listCombo({"No Header", "Use same Header settings as Thumbnail page",
                                "Same Header on all created pages", "Different Header on each created page"},
                               1);
    btnEditHeader = new QPushButton("Edit Header");
    lblimageFooter = new QLabel("Footer:");
    cmbimageFooter = listCombo({"No Footer", "Use same Footer settings as Thumbnail page",
                                "Same Footer on all created pages", "Different Footer on each created page"},
                               1);
    btnEditFooter = new QPushButton("Edit Footer");
    // The header and footer texts are kept with the dialog but never shown.
    edtimageheaderhtml = new QLineEdit(this);
    edtimageheaderfile = new QLineEdit(this);
    edtimagefooterhtml = new QLineEdit(this);
    edtimagefooterfile = new QLineEdit(this);
    for (QLineEdit* hidden : {edtimageheaderhtml, edtimageheaderfile, edtimagefooterhtml, edtimagefooterfile}) {
        keepAnyLength(hidden);
        hidden->hide();
    }
    chkUseSameNavGraphics = checkBox("Use the same Next/Previous graphics as Thumbnail Index page", true);
    chkimagenavigationbar = checkBox("Show navigation links at bottom of image display page", false);
    chkmaximagesize = checkBox("Set maximum size of images displayed in image pages", false);
    lblImageWidth = new QLabel("Maximum width:");
    spnImageWidth = spinBox(100, 5000, 100, 100);
    lblImageHeight = new QLabel("Maximum height:");
    SpnImageHeight = spinBox(100, 5000, 100, 100);

    auto* html = new QGridLayout;
    html->addWidget(lblimagestyle, 0, 0);
    html->addWidget(cmbimagestyle, 0, 1);
    html->addLayout(hbox({btnbrowseimagestyle, btnTestCompliance, btnViewPage}), 1, 1);
    html->addWidget(chkImageHeading, 2, 0, 1, 2);
    html->addWidget(lblimageHeader, 3, 0);
    html->addLayout(hbox({cmbimageHeader, btnEditHeader}), 3, 1);
    html->addWidget(lblimageFooter, 4, 0);
    html->addLayout(hbox({cmbimageFooter, btnEditFooter}), 4, 1);
    html->addWidget(chkimagenavigationbar, 5, 0, 1, 2);
    html->addWidget(chkUseSameNavGraphics, 6, 0, 1, 2);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(rdbDisplayasimage);
    layout->addWidget(rdbHTMLImageWindow);
    layout->addLayout(html);
    layout->addWidget(chkmaximagesize);
    layout->addLayout(hbox({lblImageWidth, spnImageWidth, lblImageHeight, SpnImageHeight}));
    layout->addStretch();
    PageControl1->addTab(page, "Image Display");
}

void TdlgThumbOptions::buildPageTextPage() {
    rdbfontdefault = new QRadioButton("Use the default Font");
    rdbfontcustom = new QRadioButton("Use a custom font:");
    rdbfontdefault->setChecked(true);
    FontName = new QComboBox;
    FontName->setEditable(true);
    GetFontNames(FontName);
    FontName->model()->sort(0);
    FontName->setEditText(QString());
    lblFontNameHint = new QLabel("(several fonts may be separated by commas)");
    chkBold = checkBox("Bold", false);
    chkitalics = checkBox("Italics", false);
    cmbFontsize = listCombo({"-2", "-1", "Default", "+1", "+2", "+3", "+4"}, 2);
    Cmbheadingsize = listCombo({"H1 (Largest)", "H2", "H3", "H4 (Smallest)"}, 0);
    cmbHeadingColour = new TColourCombo;
    EdtHeadingColour = new QLineEdit;
    EdtHeadingColour->setReadOnly(true);
    cmbHeadingColour->ValueEdit = EdtHeadingColour;
    chkAddTavrelLink = checkBox("Add link to Tavrel Software home page", true);
    chkThumbnailPageHeading = checkBox("Display Heading of current thumbnail page position", false);

    auto* font = new QGroupBox("Page Font");
    auto* fontLayout = new QGridLayout(font);
    fontLayout->addWidget(rdbfontdefault, 0, 0, 1, 2);
    fontLayout->addWidget(rdbfontcustom, 1, 0);
    fontLayout->addWidget(FontName, 1, 1);
    fontLayout->addWidget(lblFontNameHint, 2, 1);
    fontLayout->addLayout(hbox({chkBold, chkitalics}), 3, 0, 1, 2);
    fontLayout->addWidget(new QLabel("Text size:"), 4, 0);
    fontLayout->addWidget(cmbFontsize, 4, 1);

    auto* heading = new QGridLayout;
    heading->addWidget(new QLabel("Heading size:"), 0, 0);
    heading->addWidget(Cmbheadingsize, 0, 1);
    heading->addWidget(new QLabel("Heading colour:"), 1, 0);
    heading->addWidget(cmbHeadingColour, 1, 1);
    heading->addWidget(EdtHeadingColour, 1, 2);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(font);
    layout->addLayout(heading);
    layout->addWidget(chkThumbnailPageHeading);
    layout->addWidget(chkAddTavrelLink);
    layout->addStretch();
    PageControl1->addTab(page, "Page Text");
}

void TdlgThumbOptions::buildOtherPage() {
    Chkusecustombuttons = checkBox("Use image buttons for previous/next page links", false);
    lblpreviousfile = new QLabel("Previous page:");
    edtpreviousfile = new QLineEdit;
    btnbrowseprevious = new QPushButton("Browse..");
    lblnextfile = new QLabel("Next page:");
    edtnextfile = new QLineEdit;
    btnbrowsenext = new QPushButton("Browse..");
    lblindexfile = new QLabel("Return to index:");
    edtindexfile = new QLineEdit;
    btnbrowseindex = new QPushButton("Browse..");
    cmbImageDisplayMethod = listCombo({"Display image in the same browser window as thumbnail index",
                                       "Display every image in a new window",
                                       "Display every image in a new window (using JavaScript)",
                                       "Use a second browser window to display all images (using JavaScript)"},
                                      0);

    auto* graphics = new QGridLayout;
    const std::array<std::array<QWidget*, 3>, 3> rows = {{{lblpreviousfile, edtpreviousfile, btnbrowseprevious},
                                                          {lblnextfile, edtnextfile, btnbrowsenext},
                                                          {lblindexfile, edtindexfile, btnbrowseindex}}};
    for (int row = 0; row < 3; ++row)
        for (int column = 0; column < 3; ++column) graphics->addWidget(rows[row][column], row, column);

    auto* page = new QWidget;
    auto* layout = new QVBoxLayout(page);
    layout->addWidget(Chkusecustombuttons);
    layout->addLayout(graphics);
    layout->addWidget(new QLabel("Image display method:"));
    layout->addWidget(cmbImageDisplayMethod);
    layout->addStretch();
    PageControl1->addTab(page, "Other");
}

void TdlgThumbOptions::connectHandlers() {
    for (TColourCombo* combo : {cmbIndexTextColour, cmbNonCurrentIndexText, cmbLinkEncColour, cmbHeadingColour})
        connect(combo, &QComboBox::currentIndexChanged, this, [this, combo] { colourComboChange(combo); });
    connect(cmbLinkEnclosure, &QComboBox::currentIndexChanged, this, [this] { cmbLinkEnclosureChange(); });
    // Image pages: entry 2 is one HTML snippet for every page, entry 3 a list file.
    for (const bool header : {true, false}) {
        connect(header ? btnEditHeader : btnEditFooter, &QPushButton::clicked, this, [this, header] {
            const int choice = (header ? cmbimageHeader : cmbimageFooter)->currentIndex();
            if (choice < 2) return;
            editHeaderOrFooter(this, header,
                               choice == 2 ? HeaderFooterChoice::SameOnAllPages : HeaderFooterChoice::DifferentOnEachPage,
                               header ? edtimageheaderhtml : edtimagefooterhtml,
                               header ? edtimageheaderfile : edtimagefooterfile);
        });
    }
    for (QRadioButton* kind : {rdbDisplayasimage, rdbHTMLImageWindow})
        connect(kind, &QRadioButton::toggled, this, [this] { rdbDisplayChange(); });
    connect(cmbimagestyle, &QComboBox::editTextChanged, this, [this] { cmbimagestyleChange(); });
    cmbimagestyle->installEventFilter(new FocusOutWatcher(this, [this] { cmbimagestyleExit(); }));
    for (QComboBox* combo : {cmbimageHeader, cmbimageFooter})
        connect(combo, &QComboBox::currentIndexChanged, this, [this] { cmbimageHeaderChange(); });
    connect(Chkusecustombuttons, &QCheckBox::toggled, this, [this] { ChkusecustombuttonsClick(); });
    connect(chkimagenavigationbar, &QCheckBox::toggled, this, [this] { updateNavigationEnabling(); });
    connect(chkImageButtons, &QCheckBox::toggled, this, [this] { chkImageButtonsClick(); });
    connect(chkmaximagesize, &QCheckBox::toggled, this, [this] { chkmaximagesizeClick(); });
    for (QRadioButton* choice : {rdbfontdefault, rdbfontcustom, rdbindexfontdefault, rdbindexfontcustom})
        connect(choice, &QRadioButton::toggled, this, [this] { fontChoiceClick(); });
    for (QRadioButton* choice : {rdbshownothing, rdbshowfilenamenoext, rdbshowfilenamewithext, rdbshowdescription})
        connect(choice, &QRadioButton::toggled, this, [this] { filenameDisplayClick(); });

    connect(btnbrowseimagestyle, &QPushButton::clicked, this, [this] { btnbrowseimagestyleClick(); });
    connect(btnTestCompliance, &QPushButton::clicked, this, [this] { btnTestComplianceClick(); });
    connect(btnViewPage, &QPushButton::clicked, this, [this] { btnViewPageClick(); });
    connect(btnbrowseprevious, &QPushButton::clicked, this, [this] { btnbrowsenavigationClick(edtpreviousfile); });
    connect(btnbrowsenext, &QPushButton::clicked, this, [this] { btnbrowsenavigationClick(edtnextfile); });
    connect(btnbrowseindex, &QPushButton::clicked, this, [this] { btnbrowsenavigationClick(edtindexfile); });
    connect(btnbrowseselected, &QPushButton::clicked, this,
            [this] { btnbrowsestyleGraphicClick(edtSelectedImageButton); });
    connect(btnbrowseother, &QPushButton::clicked, this, [this] { btnbrowsestyleGraphicClick(edtotherImageButton); });
    connect(btnbrowsedescrip, &QPushButton::clicked, this, [this] { btnbrowsedescripClick(); });
    // The header and footer editors are not part of this dialog yet; their buttons only follow
    // the enabling rules.

    connect(btnOK, &QPushButton::clicked, this, [this] {
        if (ValidateOK()) done(platform::mrOk);
    });
    connect(btnCancel, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
}

// --- Palette ---

int TdlgThumbOptions::tcolor2Colourcode(std::uint32_t colour) {
    const auto found = std::find(kPalette.begin(), kPalette.end(), colour & 0xFFFFFF);
    return found == kPalette.end() ? 0 : int(found - kPalette.begin()) + 1;
}

std::uint32_t TdlgThumbOptions::Colourcode2tcolor(int entry) {
    if (entry < 1 || entry > int(kPalette.size())) return kSilver;
    return kPalette[std::size_t(entry - 1)];
}

void TdlgThumbOptions::SetDefaultSetColour(TColourCombo* combo, bool isDefault, std::uint32_t colour) {
    if (isDefault) {
        combo->setCurrentIndex(0);
    } else if (const int entry = tcolor2Colourcode(colour); entry != 0) {
        combo->setCurrentIndex(entry);
    } else {
        combo->setCurrentIndex(-1);
        combo->setColor(colour);
        QPalette palette = combo->palette();
        palette.setColor(QPalette::ButtonText, toQColor(colour));
        palette.setColor(QPalette::Text, toQColor(colour));
        combo->setPalette(palette);
        // The change handling leaves a custom colour alone, so its value is shown here.
        if (combo->ValueEdit) combo->ValueEdit->setText(colortohtmlhex(toQColor(colour)));
        combo->update();
    }
    colourComboChange(combo);
}

bool TdlgThumbOptions::IsDefault(const TColourCombo* combo) { return combo->currentIndex() == 0; }

std::uint32_t TdlgThumbOptions::IsColour(const TColourCombo* combo) {
    return combo->currentIndex() == 0 ? 0 : combo->Color();
}

void TdlgThumbOptions::colourComboChange(TColourCombo* combo) {
    const int entry = combo->currentIndex();
    if (entry == -1) return;  // already a custom colour
    QLineEdit* edit = combo->ValueEdit;
    if (entry == kOtherEntry) {
        QColorDialog dialog(toQColor(combo->Color()), this);
        if (platform::showModal(dialog) == QDialog::Accepted) {
            const QColor chosen = dialog.currentColor();
            combo->setColor(fromQColor(chosen));
            QPalette palette = combo->palette();
            palette.setColor(QPalette::ButtonText, chosen);
            palette.setColor(QPalette::Text, chosen);
            combo->setPalette(palette);
            combo->setCurrentIndex(-1);
            if (edit) edit->setText(colortohtmlhex(chosen));
        } else {
            combo->setCurrentIndex(0);  // runs this handler again for the default entry
        }
        combo->update();
        return;
    }
    combo->setPalette(QPalette());
    if (entry == 0) {
        if (edit) edit->clear();
    } else {
        combo->setColor(Colourcode2tcolor(entry));
        if (edit) edit->setText(colortohtmlhex(toQColor(combo->Color())));
    }
    combo->update();
}

void TdlgThumbOptions::SetDefaultValues() {
    const auto defaultIfEmpty = [](QComboBox* combo, int index) {
        if (combo->currentIndex() == -1) combo->setCurrentIndex(index);
    };
    defaultIfEmpty(Cmbheadingsize, 0);
    defaultIfEmpty(cmbLinkEnclosure, 0);
    defaultIfEmpty(cmbFontsize, 2);
    defaultIfEmpty(cmbindexFontsize, 2);
    defaultIfEmpty(cmbimageHeader, 1);
    defaultIfEmpty(cmbimageFooter, 1);
    defaultIfEmpty(cmbImageDisplayMethod, 0);
    // A colour combo also sits on no entry while it holds a custom colour; that one shows its
    // value and is kept.
    for (TColourCombo* combo : {cmbIndexTextColour, cmbNonCurrentIndexText, cmbLinkEncColour, cmbHeadingColour}) {
        const bool holdsCustomColour = combo->ValueEdit && !combo->ValueEdit->text().isEmpty();
        if (combo->currentIndex() == -1 && !holdsCustomColour) combo->setCurrentIndex(0);
    }
}

void TdlgThumbOptions::GetFontNames(QComboBox* combo) { combo->addItems(QFontDatabase::families()); }

// --- Showing ---

void TdlgThumbOptions::FormShow() {
    SetDefaultValues();

    if (cmbimagestyle->count() == 0 && dlgEditSite && dlgEditSite->cmbstyle) {
        // Filling the list must not replace the template already entered.
        const QString entered = cmbimagestyle->currentText();
        for (int i = 0; i < dlgEditSite->cmbstyle->count(); ++i)
            cmbimagestyle->addItem(dlgEditSite->cmbstyle->itemText(i));
        cmbimagestyle->setEditText(entered);
    }

    const std::pair<QLineEdit*, const char*> graphics[] = {
        {edtnextfile, "navgraph/Next.gif"}, {edtpreviousfile, "navgraph/Previous.gif"}, {edtindexfile, "navgraph/Index.gif"}};
    for (const auto& [edit, name] : graphics) {
        const QString path = DataDirectory + name;
        if (edit->text().isEmpty() && QFile::exists(path)) edit->setText(path);
    }

    cmbLinkEnclosureChange();
    rdbDisplayChange();
    cmbimagestyleChange();
}

// --- Enabling rules ---

void TdlgThumbOptions::cmbLinkEnclosureChange() {
    enable({lblLinkEncColour, cmbLinkEncColour, edtLinkEncColour}, cmbLinkEnclosure->currentIndex() > 0);
}

void TdlgThumbOptions::rdbDisplayChange() {
    const bool html = rdbHTMLImageWindow->isChecked();
    enable({chkimagenavigationbar, lblimagestyle, cmbimagestyle, btnbrowseimagestyle, btnTestCompliance,
            chkImageHeading, lblimageHeader, cmbimageHeader, lblimageFooter, cmbimageFooter, chkIndexInImagePages},
           html);
    cmbimageHeaderChange();
    cmbimagestyleChange();
    updateNavigationEnabling();
}

void TdlgThumbOptions::cmbimageHeaderChange() {
    const bool html = rdbHTMLImageWindow->isChecked();
    const auto ownText = [](const QComboBox* combo) { return combo->currentIndex() == 2 || combo->currentIndex() == 3; };
    btnEditHeader->setEnabled(html && ownText(cmbimageHeader));
    btnEditFooter->setEnabled(html && ownText(cmbimageFooter));
}

void TdlgThumbOptions::cmbimagestyleChange() {
    const bool usable = cmbimagestyle->isEnabled() && !cmbimagestyle->currentText().isEmpty();
    enable({btnTestCompliance, btnViewPage}, usable);
}

void TdlgThumbOptions::cmbimagestyleExit() { TdlgEditSite::addtexttocombolist(cmbimagestyle); }

void TdlgThumbOptions::ChkusecustombuttonsClick() {
    if (!Chkusecustombuttons->isChecked()) chkUseSameNavGraphics->setChecked(false);
    updateNavigationEnabling();
}

void TdlgThumbOptions::updateNavigationEnabling() {
    const bool custom = Chkusecustombuttons->isChecked();
    const bool html = rdbHTMLImageWindow->isChecked();
    enable({lblpreviousfile, edtpreviousfile, btnbrowseprevious, lblnextfile, edtnextfile, btnbrowsenext}, custom);
    enable({lblindexfile, edtindexfile, btnbrowseindex}, custom && html);
    chkUseSameNavGraphics->setEnabled(custom && chkimagenavigationbar->isChecked() && html);
}

void TdlgThumbOptions::chkImageButtonsClick() {
    const bool images = chkImageButtons->isChecked();
    enable({lblindexImageFontsize, SpnindexImageFontsize, lblSelectedImageButton, edtSelectedImageButton,
            btnbrowseselected, lblotherImageButton, edtotherImageButton, btnbrowseother, lblNonCurrentIndexText,
            cmbNonCurrentIndexText},
           images);
    enable({lblindexFontsize, cmbindexFontsize}, !images);
}

void TdlgThumbOptions::chkmaximagesizeClick() {
    enable({lblImageWidth, spnImageWidth, lblImageHeight, SpnImageHeight}, chkmaximagesize->isChecked());
}

void TdlgThumbOptions::fontChoiceClick() {
    enable({FontName, lblFontNameHint}, rdbfontcustom->isChecked());
    enable({indexFontName, lblindexFontNameHint}, rdbindexfontcustom->isChecked());
}

void TdlgThumbOptions::filenameDisplayClick() {
    enable({chkShowFIlenameWhenNoDesc, edtdescripfile, btnbrowsedescrip}, rdbshowdescription->isChecked());
}

// --- Buttons ---

void TdlgThumbOptions::btnbrowseimagestyleClick() {
    const QString file = platform::openFileName(this, "Please select an HTML File", "HTML Files (*.htm *.html)");
    if (file.isEmpty()) return;
    TdlgStyle compliance(this);
    compliance.TestCompliancy(file, false);
    if (compliance.ShowModal() == platform::mrOk) cmbimagestyle->setEditText(file);
}

void TdlgThumbOptions::btnTestComplianceClick() {
    const QString file = cmbimagestyle->currentText();
    if (file.isEmpty()) return;
    TdlgStyle compliance(this);
    compliance.TestCompliancy(file, false);
    compliance.ShowModal();
    btnTestCompliance->setEnabled(false);  // until the template changes
}

void TdlgThumbOptions::btnViewPageClick() {
    const QString file = cmbimagestyle->currentText();
    if (!file.isEmpty()) platform::openDocumentReported(file);  // a failing opener is reported
}

void TdlgThumbOptions::btnbrowsenavigationClick(QLineEdit* target) {
    const QString file = platform::openFileName(this, "Please select an image to use", kImageFilter);
    if (!file.isEmpty()) target->setText(file);
}

void TdlgThumbOptions::btnbrowsestyleGraphicClick(QLineEdit* target) {
    // The formats of the imaging library, with a preview of the file the selection rests on.
    const QString file = PGOpenImageFile(this, "Open");
    if (!file.isEmpty()) target->setText(file);
}

void TdlgThumbOptions::btnbrowsedescripClick() {
    const QString file = platform::openFileName(
        this, "Please select a description file",
        "Comma-separated text file (*.csv *.txt);;INI file format (*.ini)");
    if (!file.isEmpty()) edtdescripfile->setText(file);
}

void TdlgThumbOptions::btnHelpClick() {
    const int page = PageControl1->currentIndex();
    if (page >= 0 && page < int(kPageHelpContexts.size())) platform::showHelpContext(kPageHelpContexts[std::size_t(page)]);
}

// --- OK ---

bool TdlgThumbOptions::ValidateOK() {
    using platform::showInformation;
    using platform::showWarning;
    if (rdbHTMLImageWindow->isChecked() && fileMissing(cmbimagestyle->currentText())) {
        showWarning("You have elected to create HTML pages, however you have not specified a template file or the "
                    "file cannot be located!");
        return false;
    }
    if (rdbshowdescription->isChecked() && fileMissing(edtdescripfile->text())) {
        showWarning("You have elected to show descriptions for your thumbnails, however you have not specified a "
                    "description file or the file cannot be located!");
        return false;
    }
    if (cmbimageHeader->currentIndex() == 2 && edtimageheaderhtml->text().isEmpty()) {
        showInformation("You have elected to insert a header, but have not provided any HTML!");
        return false;
    }
    if (cmbimageHeader->currentIndex() == 3 && fileMissing(edtimageheaderfile->text())) {
        showWarning("You have elected to insert custom headers, but you have not specified a file to use or the file "
                    "cannot be located!");
        return false;
    }
    if (cmbimageFooter->currentIndex() == 2 && edtimagefooterhtml->text().isEmpty()) {
        showInformation("You have elected to insert a footer, but have not provided any HTML!");
        return false;
    }
    if (cmbimageFooter->currentIndex() == 3 && fileMissing(edtimagefooterfile->text())) {
        showWarning("You have elected to insert custom footers, but you have not specified a file to use or the file "
                    "cannot be located!");
        return false;
    }
    if (Chkusecustombuttons->isChecked() && (fileMissing(edtnextfile->text()) || fileMissing(edtpreviousfile->text()))) {
        showWarning("You have elected to use custom previous and next images, however one of the images you have "
                    "entered cannot be located!");
        return false;
    }
    if (chkImageButtons->isChecked() && fileMissing(edtSelectedImageButton->text()) &&
        fileMissing(edtotherImageButton->text())) {
        showWarning("You have elected to use custom image buttons for your Index, however one of the images you have "
                    "entered cannot be located!");
        return false;
    }
    return true;
}
