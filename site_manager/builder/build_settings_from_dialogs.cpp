#include "site_manager/builder/build_settings_from_dialogs.h"

#include "components/radio_group.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/colour_combo.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>

namespace {

ComboColour comboColour(const TColourCombo* combo) {
    if (TdlgThumbOptions::IsDefault(combo)) return std::nullopt;
    return colourFromValue(TdlgThumbOptions::IsColour(combo));
}

FilenameDisplay filenameDisplay(const TdlgThumbOptions& d) {
    if (d.rdbshownothing->isChecked()) return FilenameDisplay::Nothing;
    if (d.rdbshowfilenamewithext->isChecked()) return FilenameDisplay::WithExtension;
    if (d.rdbshowdescription->isChecked()) return FilenameDisplay::Description;
    return FilenameDisplay::WithoutExtension;
}

}  // namespace

BuildSettings buildSettingsFromDialogs() {
    const TdlgThumbOptions& d = *dlgThumbOptions;
    const TdlgEditSite& e = *dlgEditSite;
    BuildSettings s;

    if (!tsiterecord.BaseHTMLName.isEmpty()) s.BaseHTMLName = tsiterecord.BaseHTMLName;
    s.RotationDirectory = fixpath(e.edtrotationdirectory->text(), true);
    s.ThumbnailTemplate = e.cmbstyle->currentText();
    s.ImageTemplate = d.cmbimagestyle->currentText();
    s.Features = TemplateFeatures;
    s.NoThumbnailMode = NoThumbnailMode;
    s.NoThumbnailPageCount = NoThumbnailPageCount;

    s.ForceLowercase = ApplicationOptions.ForceLowercase;
    s.MaxFilenameLength = ApplicationOptions.MaxFilenameLength;
    s.UseThumbsDirectory = ApplicationOptions.UseThumbsDirectory;

    s.SpnThumbW = d.SpnThumbW->value();
    s.SpnThumbH = d.SpnThumbH->value();
    s.spnJPEGQuality = d.spnJPEGQuality->value();
    s.spnHorzCOunt = d.spnHorzCOunt->value();
    s.spnVertCOunt = d.spnVertCOunt->value();
    s.spnImageborder = d.spnImageborder->value();
    s.spnCellPadding = d.spnCellPadding->value();
    s.spnCellSpacing = d.spnCellSpacing->value();
    s.Filename_Display = filenameDisplay(d);
    s.edtdescripfile = d.edtdescripfile->text();
    s.chkShowFIlenameWhenNoDesc = d.chkShowFIlenameWhenNoDesc->isChecked();

    s.rgpIndexLayout = d.rgpIndexLayout->ItemIndex();
    s.edtpagenumberprefix = d.edtpagenumberprefix->text();
    s.chkImageButtons = d.chkImageButtons->isChecked();
    s.edtSelectedImageButton = d.edtSelectedImageButton->text();
    s.edtotherImageButton = d.edtotherImageButton->text();
    s.chkIndexInThumbPages = d.chkIndexInThumbPages->isChecked();
    s.chkIndexInImagePages = d.chkIndexInImagePages->isChecked();
    s.cmbIndexTextColour = comboColour(d.cmbIndexTextColour);
    s.cmbNonCurrentIndexText = comboColour(d.cmbNonCurrentIndexText);
    s.rdbindexfontdefault = d.rdbindexfontdefault->isChecked();
    s.indexFontName = d.indexFontName->currentText();
    s.chkindexBold = d.chkindexBold->isChecked();
    s.chkindexitalics = d.chkindexitalics->isChecked();
    s.cmbindexFontsize = d.cmbindexFontsize->currentIndex();
    s.SpnindexImageFontsize = d.SpnindexImageFontsize->value();
    s.cmbLinkEnclosure = d.cmbLinkEnclosure->currentIndex();
    s.cmbLinkEncColour = comboColour(d.cmbLinkEncColour);

    s.rdbHTMLImageWindow = d.rdbHTMLImageWindow->isChecked();
    s.chkImageHeading = d.chkImageHeading->isChecked();
    s.cmbimageHeader = d.cmbimageHeader->currentIndex();
    s.cmbimageFooter = d.cmbimageFooter->currentIndex();
    s.edtimageheaderhtml = d.edtimageheaderhtml->text();
    s.edtimageheaderfile = d.edtimageheaderfile->text();
    s.edtimagefooterhtml = d.edtimagefooterhtml->text();
    s.edtimagefooterfile = d.edtimagefooterfile->text();
    s.chkimagenavigationbar = d.chkimagenavigationbar->isChecked();
    s.chkmaximagesize = d.chkmaximagesize->isChecked();
    s.spnImageWidth = d.spnImageWidth->value();
    s.SpnImageHeight = d.SpnImageHeight->value();

    s.rdbfontdefault = d.rdbfontdefault->isChecked();
    s.FontName = d.FontName->currentText();
    s.chkBold = d.chkBold->isChecked();
    s.chkitalics = d.chkitalics->isChecked();
    s.cmbFontsize = d.cmbFontsize->currentIndex();
    s.Cmbheadingsize = d.Cmbheadingsize->currentIndex();
    s.cmbHeadingColour = comboColour(d.cmbHeadingColour);
    s.chkAddTavrelLink = d.chkAddTavrelLink->isChecked();
    s.chkThumbnailPageHeading = d.chkThumbnailPageHeading->isChecked();

    s.Chkusecustombuttons = d.Chkusecustombuttons->isChecked();
    s.edtpreviousfile = d.edtpreviousfile->text();
    s.edtnextfile = d.edtnextfile->text();
    s.edtindexfile = d.edtindexfile->text();
    s.cmbImageDisplayMethod = d.cmbImageDisplayMethod->currentIndex();

    s.cmbHeader = e.cmbHeader->currentIndex();
    s.edtheaderhtml = e.edtheaderhtml->text();
    s.edtheaderfile = e.edtheaderfile->text();
    s.cmbFooter = e.cmbFooter->currentIndex();
    s.edtfooterhtml = e.edtfooterhtml->text();
    s.edtfooterfile = e.edtfooterfile->text();
    return s;
}
