#pragma once
// The layout settings dialog: every layout setting of the rotation being edited. It lives for
// the whole run; the settings it holds are the defaults a new rotation inherits. The rotation
// store loads and saves these controls, and the build reads them.
#include "platform/modal_dialog.h"
#include "components/radio_group.h"
#include "site_manager/builder/colour_combo.h"

#include <cstdint>

class QButtonGroup;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QSpinBox;
class QTabWidget;

class TdlgThumbOptions : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgThumbOptions(QWidget* parent = nullptr);

    QTabWidget* PageControl1;

    // --- Thumbnails ---
    QSpinBox* SpnThumbW;
    QSpinBox* SpnThumbH;
    QSpinBox* spnJPEGQuality;
    QSpinBox* spnHorzCOunt;
    QSpinBox* spnVertCOunt;
    QSpinBox* spnImageborder;
    QSpinBox* spnCellPadding;
    QSpinBox* spnCellSpacing;
    QRadioButton* rdbshownothing;
    QRadioButton* rdbshowfilenamenoext;
    QRadioButton* rdbshowfilenamewithext;
    QRadioButton* rdbshowdescription;
    QLineEdit* edtdescripfile;
    QPushButton* btnbrowsedescrip;
    QCheckBox* chkShowFIlenameWhenNoDesc;

    // --- Page Index ---
    TRadioGroup* rgpIndexLayout;
    QLineEdit* edtpagenumberprefix;
    QCheckBox* chkImageButtons;
    QLabel* lblSelectedImageButton;
    QLineEdit* edtSelectedImageButton;
    QPushButton* btnbrowseselected;
    QLabel* lblotherImageButton;
    QLineEdit* edtotherImageButton;
    QPushButton* btnbrowseother;
    QCheckBox* chkIndexInThumbPages;
    QCheckBox* chkIndexInImagePages;

    // --- Page Index 2 ---
    TColourCombo* cmbIndexTextColour;
    QLineEdit* edtindexTextColour;
    QLabel* lblNonCurrentIndexText;
    TColourCombo* cmbNonCurrentIndexText;
    QLineEdit* edtNonCurrentIndexText;
    QRadioButton* rdbindexfontdefault;
    QRadioButton* rdbindexfontcustom;
    QComboBox* indexFontName;
    QCheckBox* chkindexBold;
    QCheckBox* chkindexitalics;
    QLabel* lblindexFontsize;
    QComboBox* cmbindexFontsize;
    QLabel* lblindexImageFontsize;
    QSpinBox* SpnindexImageFontsize;
    QComboBox* cmbLinkEnclosure;
    QLabel* lblLinkEncColour;
    TColourCombo* cmbLinkEncColour;
    QLineEdit* edtLinkEncColour;

    // --- Image Display ---
    QRadioButton* rdbDisplayasimage;
    QRadioButton* rdbHTMLImageWindow;
    QLabel* lblimagestyle;
    QComboBox* cmbimagestyle;
    QPushButton* btnbrowseimagestyle;
    QPushButton* btnTestCompliance;
    QPushButton* btnViewPage;
    QCheckBox* chkImageHeading;
    QLabel* lblimageHeader;
    QComboBox* cmbimageHeader;
    QPushButton* btnEditHeader;
    QLabel* lblimageFooter;
    QComboBox* cmbimageFooter;
    QPushButton* btnEditFooter;
    QLineEdit* edtimageheaderhtml;
    QLineEdit* edtimageheaderfile;
    QLineEdit* edtimagefooterhtml;
    QLineEdit* edtimagefooterfile;
    QCheckBox* chkUseSameNavGraphics;
    QCheckBox* chkimagenavigationbar;
    QCheckBox* chkmaximagesize;
    QLabel* lblImageWidth;
    QSpinBox* spnImageWidth;
    QLabel* lblImageHeight;
    QSpinBox* SpnImageHeight;

    // --- Page Text ---
    QRadioButton* rdbfontdefault;
    QRadioButton* rdbfontcustom;
    QComboBox* FontName;
    QCheckBox* chkBold;
    QCheckBox* chkitalics;
    QComboBox* cmbFontsize;
    QComboBox* Cmbheadingsize;
    TColourCombo* cmbHeadingColour;
    QLineEdit* EdtHeadingColour;
    QCheckBox* chkAddTavrelLink;
    QCheckBox* chkThumbnailPageHeading;

    // --- Other ---
    QCheckBox* Chkusecustombuttons;
    QLabel* lblpreviousfile;
    QLineEdit* edtpreviousfile;
    QPushButton* btnbrowseprevious;
    QLabel* lblnextfile;
    QLineEdit* edtnextfile;
    QPushButton* btnbrowsenext;
    QLabel* lblindexfile;
    QLineEdit* edtindexfile;
    QPushButton* btnbrowseindex;
    QComboBox* cmbImageDisplayMethod;

    QPushButton* btnOK;
    QPushButton* btnCancel;
    QPushButton* btnHelp;

    // Palette entry 1-13 of a colour, 0 when it is not in the palette; and back (silver for an
    // entry outside the palette).
    static int tcolor2Colourcode(std::uint32_t colour);
    static std::uint32_t Colourcode2tcolor(int entry);
    // Used when a rotation is loaded: default entry, palette entry or custom colour.
    void SetDefaultSetColour(TColourCombo* combo, bool isDefault, std::uint32_t colour);
    static bool IsDefault(const TColourCombo* combo);
    // The combo's colour, 0 (black) on the default entry.
    static std::uint32_t IsColour(const TColourCombo* combo);
    // Gives every combo without a selection its default.
    void SetDefaultValues();
    static void GetFontNames(QComboBox* combo);

    // Handlers.
    void colourComboChange(TColourCombo* combo);
    void cmbLinkEnclosureChange();
    void rdbDisplayChange();  // the display kind and the image template enabling
    void cmbimagestyleChange();
    void cmbimagestyleExit();
    void cmbimageHeaderChange();
    void ChkusecustombuttonsClick();
    void chkImageButtonsClick();
    void chkmaximagesizeClick();
    void fontChoiceClick();
    void filenameDisplayClick();
    void btnbrowseimagestyleClick();
    void btnTestComplianceClick();
    void btnViewPageClick();
    void btnbrowsenavigationClick(QLineEdit* target);
    void btnbrowsestyleGraphicClick(QLineEdit* target);
    void btnbrowsedescripClick();
    void btnHelpClick();
    // The OK checks; false keeps the dialog open (after its message).
    bool ValidateOK();

protected:
    void FormShow() override;

private:
    void buildThumbnailsPage();
    void buildPageIndexPage();
    void buildPageIndex2Page();
    void buildImageDisplayPage();
    void buildPageTextPage();
    void buildOtherPage();
    void connectHandlers();
    // The navigation graphics rule, without the unchecking that switching custom buttons off does.
    void updateNavigationEnabling();

    QLabel* lblFontNameHint = nullptr;
    QLabel* lblindexFontNameHint = nullptr;
};

extern TdlgThumbOptions* dlgThumbOptions;
