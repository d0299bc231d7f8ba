#pragma once
// Everything the page generators read for one build: the layout settings of the rotation, the
// application options they depend on and the facts of the site and rotation. The build fills it
// from the live controls of the layout settings dialog and the site editor when it starts, so the
// generators never touch a widget. Field names follow the controls they come from.
#include "site_manager/builder/compliance_test_dialog.h"

#include <QColor>
#include <QString>
#include <cstdint>
#include <optional>

// A colour combo: nothing when it is on "Default Page Colour", else the chosen colour.
using ComboColour = std::optional<QColor>;

// The file name display choice of the thumbnail captions.
enum class FilenameDisplay {
    Nothing,           // rdbshownothing "Do not show filenames"
    WithoutExtension,  // rdbshowfilenamenoext (the default)
    WithExtension,     // rdbshowfilenamewithext
    Description,       // rdbshowdescription "Read image description from file:"
};

// Item indexes of the size combos cmbFontsize / cmbindexFontsize: "-2", "-1", "Default", "+1" ...
constexpr int DefaultFontSizeIndex = 2;
// The item text of a size combo index ("Default" for index 2 or an index outside the list).
QString fontSizeItemText(int itemIndex);

// cmbImageDisplayMethod items.
enum ImageDisplayMethod : int {
    SameWindow = 0,          // "Display image in the same browser window as thumbnail index"
    NewWindow = 1,           // "Display every image in a new window"
    NewWindowScript = 2,     // "... in a new window (using JavaScript)"
    SecondWindowScript = 3,  // "Use a second browser window to display all images (using JavaScript)"
};

struct BuildSettings {
    // --- Site and rotation ---
    QString BaseHTMLName = "Index.html";  // the site's first page name
    QString RotationDirectory;            // the page directory; a trailing "/" is added when missing
    QString ThumbnailTemplate;            // TdlgEditSite.cmbstyle
    QString ImageTemplate;                // cmbimagestyle
    TTemplateFeatures Features;           // placeholders found in both templates
    bool NoThumbnailMode = false;         // pages without thumbnails (rotation without images)
    int NoThumbnailPageCount = 0;

    // --- Application options ---
    bool ForceLowercase = false;
    int MaxFilenameLength = 15;
    bool UseThumbsDirectory = true;

    // --- Thumbnails page ---
    int SpnThumbW = 100;  // thumbnail box, used by the thumbnail step
    int SpnThumbH = 100;
    int spnJPEGQuality = 70;
    int spnHorzCOunt = 5;
    int spnVertCOunt = 4;
    int spnImageborder = 2;
    int spnCellPadding = 10;
    int spnCellSpacing = 3;
    FilenameDisplay Filename_Display = FilenameDisplay::WithoutExtension;
    QString edtdescripfile;
    bool chkShowFIlenameWhenNoDesc = true;

    // --- Page index ---
    int rgpIndexLayout = 0;  // 0 vertical column, 1 horizontal rows
    QString edtpagenumberprefix = "Page";
    bool chkImageButtons = false;
    QString edtSelectedImageButton;
    QString edtotherImageButton;
    bool chkIndexInThumbPages = true;
    bool chkIndexInImagePages = true;
    ComboColour cmbIndexTextColour;
    ComboColour cmbNonCurrentIndexText;
    bool rdbindexfontdefault = true;
    QString indexFontName;
    bool chkindexBold = false;
    bool chkindexitalics = false;
    int cmbindexFontsize = DefaultFontSizeIndex;
    int SpnindexImageFontsize = 10;
    int cmbLinkEnclosure = 0;  // 0 "None", 1 "< >", 2 "> <", 3 "[  ]", 4 "-  -"
    ComboColour cmbLinkEncColour;

    // --- Image display ---
    bool rdbHTMLImageWindow = false;  // false: rdbDisplayasimage, only the image is shown
    bool chkImageHeading = false;
    int cmbimageHeader = 1;  // 0 none, 1 as thumbnail pages, 2 same on all, 3 list file
    int cmbimageFooter = 1;
    QString edtimageheaderhtml;
    QString edtimageheaderfile;
    QString edtimagefooterhtml;
    QString edtimagefooterfile;
    bool chkimagenavigationbar = false;
    bool chkmaximagesize = false;
    int spnImageWidth = 100;
    int SpnImageHeight = 100;

    // --- Page text ---
    bool rdbfontdefault = true;
    QString FontName;
    bool chkBold = false;
    bool chkitalics = false;
    int cmbFontsize = DefaultFontSizeIndex;
    int Cmbheadingsize = 0;  // 0 "H1 (Largest)" .. 3 "H4 (Smallest)"
    ComboColour cmbHeadingColour;
    bool chkAddTavrelLink = true;
    bool chkThumbnailPageHeading = false;

    // --- Other ---
    bool Chkusecustombuttons = false;
    QString edtpreviousfile;
    QString edtnextfile;
    QString edtindexfile;
    int cmbImageDisplayMethod = SameWindow;

    // --- Site editor: thumbnail page header and footer ---
    int cmbHeader = 0;  // 0 "No Header", 1 same on all pages, 2 list file
    QString edtheaderhtml;
    QString edtheaderfile;
    int cmbFooter = 0;
    QString edtfooterhtml;
    QString edtfooterfile;

    // The rotation directory with a trailing "/".
    QString pageDirectory() const;
};

// "Page " for an empty prefix; otherwise the prefix with a blank appended unless it ends in one.
QString normalisedPagePrefix(const QString& prefix);

// The 0x00BBGGRR value a colour combo reports: black when it is on "Default Page Colour".
std::uint32_t comboColourValue(const ComboColour& colour);
// A combo colour from a 0x00BBGGRR value.
QColor colourFromValue(std::uint32_t value);
