#include "site_manager/rotation_store.h"

#include "components/radio_group.h"
#include "platform/ini_file.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"
#include "tests/site_manager/main_window_fixture.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>
#include <gtest/gtest.h>
#include <memory>

using platform::MessageResult;
using testing_support::MessageScript;

namespace {

QStringList lines(const QListWidget& list) {
    QStringList result;
    for (int i = 0; i < list.count(); ++i) result << list.item(i)->text();
    return result;
}

}  // namespace

class RotationStoreTest : public ::testing::Test {
protected:
    void SetUp() override {
        resetProgramGlobals();
        initDataDirectory();
        savedOptions = ApplicationOptions;
        ApplicationOptions = TApplicationOptions{};
        ApplicationOptions.UseRotations = true;
        tsiterecord = SiteRecord{};
        tsiterecord.key = "Site_1";
        tsiterecord.Name = "Holiday";
        tsiterecord.Path = data.path() + "Site_1/";
        data.write("Site_1.ini", "[General]\r\nName=Holiday\r\nPath=%\\Site_1\\\r\n");
        // The editor's image list enters the rotation directory, so the directories must exist.
        for (int n = 1; n <= 5; ++n) QDir().mkpath(tsiterecord.Path + "Rotation_" + QString::number(n));
        newDialogs();
    }

    void TearDown() override {
        dropDialogs();
        tsiterecord = SiteRecord{};
        ApplicationOptions = savedOptions;
        CurrentRotationNumber = -1;
        CurrentRotationStatus = 0;
    }

    // Fresh dialogs: every control back at the dialog's own starting value.
    void newDialogs() {
        dropDialogs();
        thumbOptions = std::make_unique<TdlgThumbOptions>();
        editSite = std::make_unique<TdlgEditSite>();
        dlgThumbOptions = thumbOptions.get();
        dlgEditSite = editSite.get();
    }

    void dropDialogs() {
        dlgThumbOptions = nullptr;
        dlgEditSite = nullptr;
        editSite.reset();
        thumbOptions.reset();
    }

    QString stored(const QString& key, int rotation = 3) const {
        return platform::IniFile(siteFileName("Site_1"))
            .readString("Rotation_" + QString::number(rotation), key, "<missing>");
    }

    // Replaces the site file's rotation section with the given lines.
    void writeSection(int rotation, const QString& body) {
        platform::IniFile ini(siteFileName("Site_1"));
        ini.eraseSection("Rotation_" + QString::number(rotation));
        for (const QString& line : body.split('\n', Qt::SkipEmptyParts)) {
            const int eq = line.indexOf('=');
            ini.writeString("Rotation_" + QString::number(rotation), line.left(eq), line.mid(eq + 1));
        }
    }

    bool load(int rotation) { return LoadRotation("Site_1", rotation, true, true); }

    testing_support::TempDataDir data;
    TApplicationOptions savedOptions;
    std::unique_ptr<TdlgThumbOptions> thumbOptions;
    std::unique_ptr<TdlgEditSite> editSite;
};

// Every setting away from the dialogs' starting values, saved, then loaded into fresh dialogs.
TEST_F(RotationStoreTest, EverySettingSurvivesSaveAndLoad) {
    TdlgThumbOptions* d = dlgThumbOptions;
    TdlgEditSite* e = dlgEditSite;
    const QString dd = DataDirectory;
    const QString customFont = d->FontName->isEditable() ? QString("Verdana, Arial")
                                                         : d->FontName->itemText(d->FontName->count() - 1);
    const QString customIndexFont = d->indexFontName->isEditable() ? QString("Georgia")
                                                                   : d->indexFontName->itemText(0);
    ASSERT_FALSE(customFont.isEmpty());
    ASSERT_FALSE(customIndexFont.isEmpty());

    CurrentRotationStatus = 2;
    e->edtrotationdirectory->setText(dd + "Site_1/Rotation_3/");
    e->cmbstyle->setEditText(dd + "Styles/gallery.html");
    e->cmbHeader->setCurrentIndex(2);
    e->edtheaderfile->setText("/srv/shared/heads.txt");
    e->edtheaderhtml->setText("<b>not stored</b>");
    e->cmbFooter->setCurrentIndex(1);
    e->edtfooterhtml->setText("<i>the end</i>");
    e->edtfooterfile->setText(dd + "not/stored.txt");

    d->chkimagenavigationbar->setChecked(true);
    d->chkAddTavrelLink->setChecked(false);
    d->chkIndexInThumbPages->setChecked(false);
    d->chkIndexInImagePages->setChecked(false);
    d->chkThumbnailPageHeading->setChecked(true);
    d->Cmbheadingsize->setCurrentIndex(3);
    d->SpnThumbW->setValue(250);
    d->spnCellPadding->setValue(20);
    d->spnCellSpacing->setValue(7);
    d->SpnThumbH->setValue(180);
    d->spnImageborder->setValue(5);
    d->spnJPEGQuality->setValue(55);
    d->spnHorzCOunt->setValue(6);
    d->spnVertCOunt->setValue(3);
    d->rdbfontcustom->setChecked(true);
    if (d->FontName->isEditable()) d->FontName->setEditText(customFont);
    else d->FontName->setCurrentIndex(d->FontName->findText(customFont));
    d->cmbFontsize->setCurrentIndex(5);
    d->rdbindexfontcustom->setChecked(true);
    if (d->indexFontName->isEditable()) d->indexFontName->setEditText(customIndexFont);
    else d->indexFontName->setCurrentIndex(0);
    d->cmbindexFontsize->setCurrentIndex(0);
    d->SpnindexImageFontsize->setValue(14);
    d->Chkusecustombuttons->setChecked(true);
    d->edtpreviousfile->setText(dd + "navgraph/Prev.gif");
    d->edtnextfile->setText(dd + "navgraph/Next.gif");
    d->edtindexfile->setText("/srv/art/up.gif");
    d->cmbImageDisplayMethod->setCurrentIndex(2);
    d->chkImageButtons->setChecked(true);
    d->edtSelectedImageButton->setText(dd + "Styles/on.png");
    d->edtotherImageButton->setText(dd + "Styles/off.png");
    d->rdbshowdescription->setChecked(true);
    d->edtdescripfile->setText(dd + "Site_1/desc.csv");
    d->chkShowFIlenameWhenNoDesc->setChecked(false);
    d->cmbIndexTextColour->setCurrentIndex(8);  // red
    d->SetDefaultSetColour(d->cmbNonCurrentIndexText, false, 0x00563412);
    d->cmbLinkEncColour->setCurrentIndex(10);   // navy
    d->cmbHeadingColour->setCurrentIndex(3);    // grey
    d->edtpagenumberprefix->setText("Pg");
    d->cmbLinkEnclosure->setCurrentIndex(3);
    d->rgpIndexLayout->setItemIndex(1);
    d->rdbHTMLImageWindow->setChecked(true);
    d->cmbimagestyle->setEditText(dd + "Styles/image.html");
    d->cmbimageHeader->setCurrentIndex(3);
    d->edtimageheaderfile->setText(dd + "Site_1/heads.txt");
    d->cmbimageFooter->setCurrentIndex(2);
    d->edtimagefooterhtml->setText("<hr>");
    d->chkmaximagesize->setChecked(true);
    d->spnImageWidth->setValue(800);
    d->SpnImageHeight->setValue(600);
    d->chkImageHeading->setChecked(true);
    d->chkUseSameNavGraphics->setChecked(false);
    d->chkBold->setChecked(true);
    d->chkitalics->setChecked(true);
    d->chkindexBold->setChecked(true);
    d->chkindexitalics->setChecked(true);

    ASSERT_TRUE(SaveRotation(3, true));

    // The stored forms.
    EXPECT_EQ(stored("Status"), "2");
    EXPECT_EQ(stored("Rotation_Path"), "%\\Site_1/Rotation_3/");
    EXPECT_EQ(stored("Style_File"), "%\\Styles/gallery.html");
    EXPECT_EQ(stored("Header_File"), "/srv/shared/heads.txt");
    EXPECT_EQ(stored("Header_HTML"), "");
    EXPECT_EQ(stored("Footer_File"), "");
    EXPECT_EQ(stored("Footer_HTML"), "<i>the end</i>");
    EXPECT_EQ(stored("ImageNavigationBar"), "True");
    EXPECT_EQ(stored("TavrelLink"), "False");
    EXPECT_EQ(stored("Page_Position_Heading_Size"), "3");
    EXPECT_EQ(stored("Thumb_Width"), "250");
    EXPECT_EQ(stored("Cell_Spacing"), "7");
    EXPECT_EQ(stored("Default_Font"), customFont);
    EXPECT_EQ(stored("Default_Font_Size"), "3");
    EXPECT_EQ(stored("Index_Font_Size"), "-2");
    EXPECT_EQ(stored("Previous_Page_File"), "%\\navgraph/Prev.gif");
    EXPECT_EQ(stored("Return_To_Index_File"), "/srv/art/up.gif");
    EXPECT_EQ(stored("Image_Display_Method"), "2");
    EXPECT_EQ(stored("Selected_Page_Index_File"), "%\\Styles/on.png");
    EXPECT_EQ(stored("Filename_Display"), "DescriptionFile");
    EXPECT_EQ(stored("Description_File"), dd + "Site_1/desc.csv");  // as entered
    EXPECT_EQ(stored("Displayed_Page_Text_Colour"), "clRed");
    EXPECT_EQ(stored("Other_Page_Text_Colour"), "$00563412");
    EXPECT_EQ(stored("Link_Enclosure_Colour"), "clNavy");
    EXPECT_EQ(stored("Heading_Colour"), "clGray");
    EXPECT_EQ(stored("Link_Enclosure"), "3");
    EXPECT_EQ(stored("Index_Layout"), "Horizontal");
    EXPECT_EQ(stored("DisplayAsImage"), "False");
    EXPECT_EQ(stored("Image_Style_File"), "%\\Styles/image.html");
    EXPECT_EQ(stored("Image_Header_Same_As_Index"), "False");
    EXPECT_EQ(stored("Image_Header_File"), "%\\Site_1/heads.txt");
    EXPECT_EQ(stored("Image_Header_HTML"), "");
    EXPECT_EQ(stored("Image_Footer_File"), "");
    EXPECT_EQ(stored("Image_Footer_HTML"), "<hr>");
    EXPECT_EQ(stored("Image_Width"), "800");
    EXPECT_EQ(stored("Image_Height"), "600");
    EXPECT_EQ(stored("Image_UseSameNavGraphics"), "False");
    EXPECT_EQ(stored("Index_Font_Italics"), "True");
    // The section's first keys come in the documented order.
    const QStringList keys = platform::IniFile(siteFileName("Site_1")).readSection("Rotation_3");
    ASSERT_EQ(keys.size(), 58);
    EXPECT_EQ(keys.mid(0, 4), QStringList({"Status", "Rotation_Path", "Style_File", "Header_File"}));
    EXPECT_EQ(keys.last(), "Index_Font_Italics");

    newDialogs();
    d = dlgThumbOptions;
    e = dlgEditSite;
    CurrentRotationStatus = 0;
    ASSERT_TRUE(load(3));

    EXPECT_EQ(CurrentRotationNumber, 3);
    EXPECT_EQ(CurrentRotationStatus, 2);
    EXPECT_EQ(e->grpRotations->title(), "Rotation 3");
    EXPECT_EQ(e->edtrotationdirectory->text(), dd + "Site_1/Rotation_3/");
    EXPECT_EQ(e->cmbstyle->currentText(), dd + "Styles/gallery.html");
    EXPECT_EQ(e->cmbHeader->currentIndex(), 2);
    EXPECT_EQ(e->edtheaderfile->text(), "/srv/shared/heads.txt");
    EXPECT_EQ(e->cmbFooter->currentIndex(), 1);
    EXPECT_EQ(e->edtfooterhtml->text(), "<i>the end</i>");

    EXPECT_TRUE(d->chkimagenavigationbar->isChecked());
    EXPECT_FALSE(d->chkAddTavrelLink->isChecked());
    EXPECT_FALSE(d->chkIndexInThumbPages->isChecked());
    EXPECT_FALSE(d->chkIndexInImagePages->isChecked());
    EXPECT_TRUE(d->chkThumbnailPageHeading->isChecked());
    EXPECT_EQ(d->Cmbheadingsize->currentIndex(), 3);
    EXPECT_EQ(d->SpnThumbW->value(), 250);
    EXPECT_EQ(d->spnCellPadding->value(), 20);
    EXPECT_EQ(d->spnCellSpacing->value(), 7);
    EXPECT_EQ(d->SpnThumbH->value(), 180);
    EXPECT_EQ(d->spnImageborder->value(), 5);
    EXPECT_EQ(d->spnJPEGQuality->value(), 55);
    EXPECT_EQ(d->spnHorzCOunt->value(), 6);
    EXPECT_EQ(d->spnVertCOunt->value(), 3);
    EXPECT_TRUE(d->rdbfontcustom->isChecked());
    EXPECT_EQ(d->FontName->currentText(), customFont);
    EXPECT_EQ(d->cmbFontsize->currentIndex(), 5);
    EXPECT_TRUE(d->rdbindexfontcustom->isChecked());
    EXPECT_EQ(d->indexFontName->currentText(), customIndexFont);
    EXPECT_EQ(d->cmbindexFontsize->currentIndex(), 0);
    EXPECT_EQ(d->SpnindexImageFontsize->value(), 14);
    EXPECT_TRUE(d->Chkusecustombuttons->isChecked());
    EXPECT_EQ(d->edtpreviousfile->text(), dd + "navgraph/Prev.gif");
    EXPECT_EQ(d->edtnextfile->text(), dd + "navgraph/Next.gif");
    EXPECT_EQ(d->edtindexfile->text(), "/srv/art/up.gif");
    EXPECT_EQ(d->cmbImageDisplayMethod->currentIndex(), 2);
    EXPECT_TRUE(d->chkImageButtons->isChecked());
    EXPECT_EQ(d->edtSelectedImageButton->text(), dd + "Styles/on.png");
    EXPECT_EQ(d->edtotherImageButton->text(), dd + "Styles/off.png");
    EXPECT_TRUE(d->rdbshowdescription->isChecked());
    EXPECT_EQ(d->edtdescripfile->text(), dd + "Site_1/desc.csv");
    EXPECT_FALSE(d->chkShowFIlenameWhenNoDesc->isChecked());
    EXPECT_EQ(d->cmbIndexTextColour->currentIndex(), 8);
    EXPECT_EQ(TdlgThumbOptions::IsColour(d->cmbIndexTextColour), 0x0000FFu);
    EXPECT_EQ(d->cmbNonCurrentIndexText->currentIndex(), -1);
    EXPECT_EQ(TdlgThumbOptions::IsColour(d->cmbNonCurrentIndexText), 0x00563412u);
    EXPECT_EQ(d->cmbLinkEncColour->currentIndex(), 10);
    EXPECT_EQ(d->cmbHeadingColour->currentIndex(), 3);
    EXPECT_EQ(d->edtpagenumberprefix->text(), "Pg");
    EXPECT_EQ(d->cmbLinkEnclosure->currentIndex(), 3);
    EXPECT_EQ(d->rgpIndexLayout->ItemIndex(), 1);
    EXPECT_TRUE(d->rdbHTMLImageWindow->isChecked());
    EXPECT_FALSE(d->rdbDisplayasimage->isChecked());
    EXPECT_EQ(d->cmbimagestyle->currentText(), dd + "Styles/image.html");
    EXPECT_EQ(d->cmbimageHeader->currentIndex(), 3);
    EXPECT_EQ(d->edtimageheaderfile->text(), dd + "Site_1/heads.txt");
    EXPECT_EQ(d->cmbimageFooter->currentIndex(), 2);
    EXPECT_EQ(d->edtimagefooterhtml->text(), "<hr>");
    EXPECT_TRUE(d->chkmaximagesize->isChecked());
    EXPECT_EQ(d->spnImageWidth->value(), 800);
    EXPECT_EQ(d->SpnImageHeight->value(), 600);
    EXPECT_TRUE(d->chkImageHeading->isChecked());
    EXPECT_FALSE(d->chkUseSameNavGraphics->isChecked());
    EXPECT_TRUE(d->chkBold->isChecked());
    EXPECT_TRUE(d->chkitalics->isChecked());
    EXPECT_TRUE(d->chkindexBold->isChecked());
    EXPECT_TRUE(d->chkindexitalics->isChecked());

    // Saved again without status and path: those two keep what the section held.
    CurrentRotationStatus = 0;
    e->edtrotationdirectory->setText(tsiterecord.Path + "Rotation_1/");
    ASSERT_TRUE(SaveRotation(3, false));
    EXPECT_EQ(stored("Status"), "2");
    EXPECT_EQ(stored("Rotation_Path"), "%\\Site_1/Rotation_3/");
}

TEST_F(RotationStoreTest, MissingKeysKeepTheControlsOrTakeTheirStatedDefaults) {
    TdlgThumbOptions* d = dlgThumbOptions;
    TdlgEditSite* e = dlgEditSite;
    e->cmbstyle->setEditText("/srv/style.html");
    e->cmbHeader->setCurrentIndex(1);
    e->edtheaderhtml->setText("<h1>kept</h1>");
    e->edtfooterfile->setText("/srv/foot.txt");
    e->edtrotationdirectory->setText(tsiterecord.Path + "Rotation_2/");
    d->SpnThumbW->setValue(300);
    d->spnCellPadding->setValue(25);
    d->rdbfontcustom->setChecked(true);
    if (d->FontName->isEditable()) d->FontName->setEditText("Courier");
    else d->FontName->setCurrentIndex(0);
    const QString font = d->FontName->currentText();
    d->cmbFontsize->setCurrentIndex(6);
    d->SpnindexImageFontsize->setValue(30);
    d->edtdescripfile->setText("desc.csv");
    d->edtnextfile->setText("/n.gif");
    d->edtpreviousfile->setText("/p.gif");
    d->cmbIndexTextColour->setCurrentIndex(5);
    d->edtpagenumberprefix->setText("No.");
    d->cmbImageDisplayMethod->setCurrentIndex(3);
    d->Cmbheadingsize->setCurrentIndex(2);
    d->chkAddTavrelLink->setChecked(false);
    d->chkBold->setChecked(true);
    d->rgpIndexLayout->setItemIndex(1);
    d->rdbshownothing->setChecked(true);
    d->chkmaximagesize->setChecked(true);

    writeSection(4, "Thumb_Height=140\n");
    ASSERT_TRUE(LoadRotation("Site_1", 4, false, false));

    // Keys whose default is the control's value: nothing changes.
    EXPECT_EQ(CurrentRotationNumber, -1);
    EXPECT_EQ(e->edtrotationdirectory->text(), tsiterecord.Path + "Rotation_2/");
    EXPECT_EQ(e->cmbstyle->currentText(), "/srv/style.html");
    EXPECT_EQ(d->SpnThumbH->value(), 140);
    EXPECT_EQ(d->SpnThumbW->value(), 300);
    EXPECT_EQ(d->spnCellPadding->value(), 25);
    EXPECT_TRUE(d->rdbfontcustom->isChecked());
    EXPECT_EQ(d->FontName->currentText(), font);
    EXPECT_EQ(d->cmbFontsize->currentIndex(), 6);
    EXPECT_EQ(d->SpnindexImageFontsize->value(), 30);
    EXPECT_EQ(d->edtdescripfile->text(), "desc.csv");
    EXPECT_EQ(d->edtnextfile->text(), "/n.gif");
    EXPECT_TRUE(d->Chkusecustombuttons->isChecked());
    EXPECT_EQ(d->cmbIndexTextColour->currentIndex(), 5);
    EXPECT_TRUE(TdlgThumbOptions::IsDefault(d->cmbHeadingColour));  // a default colour stays default
    EXPECT_EQ(d->edtpagenumberprefix->text(), "No.");
    EXPECT_EQ(d->cmbImageDisplayMethod->currentIndex(), 3);
    EXPECT_EQ(d->Cmbheadingsize->currentIndex(), 2);
    // The header edits keep their texts; only the choice goes back to "No Header".
    EXPECT_EQ(e->cmbHeader->currentIndex(), 0);
    EXPECT_EQ(e->edtheaderhtml->text(), "<h1>kept</h1>");
    EXPECT_EQ(e->cmbFooter->currentIndex(), 0);
    EXPECT_EQ(e->edtfooterfile->text(), "/srv/foot.txt");
    // Keys with a stated default take it.
    EXPECT_TRUE(d->chkAddTavrelLink->isChecked());
    EXPECT_FALSE(d->chkBold->isChecked());
    EXPECT_EQ(d->rgpIndexLayout->ItemIndex(), 0);
    EXPECT_TRUE(d->rdbshowfilenamewithext->isChecked());
    EXPECT_TRUE(d->rdbDisplayasimage->isChecked());
    EXPECT_FALSE(d->chkmaximagesize->isChecked());
    EXPECT_TRUE(d->chkUseSameNavGraphics->isChecked());
}

TEST_F(RotationStoreTest, BadNumbersEndTheNumberGroupOrFallBack) {
    TdlgThumbOptions* d = dlgThumbOptions;
    d->SpnThumbH->setValue(120);
    d->spnImageborder->setValue(1);
    d->spnHorzCOunt->setValue(9);
    d->cmbLinkEnclosure->setCurrentIndex(2);
    d->cmbFontsize->setCurrentIndex(1);
    d->SpnindexImageFontsize->setValue(20);
    d->spnCellSpacing->setValue(1);
    d->spnCellPadding->setValue(2);
    writeSection(1,
                 "Thumb_Width=400\nThumb_Height=abc\nThumb_Border=7\nHorizontal_Thumb_Count=2\nLink_Enclosure=4\n"
                 "Default_Font_Size=0\nIndex_Image_Font_Size=33\nCell_Spacing=15\nCell_Padding=16\n"
                 "Page_Number_Prefix=after\nFilename_Display=none\n");
    ASSERT_TRUE(load(1));
    EXPECT_EQ(d->SpnThumbW->value(), 400);
    EXPECT_EQ(d->SpnThumbH->value(), 120);
    EXPECT_EQ(d->spnImageborder->value(), 1);
    EXPECT_EQ(d->spnHorzCOunt->value(), 9);
    EXPECT_EQ(d->cmbLinkEnclosure->currentIndex(), 2);
    EXPECT_EQ(d->cmbFontsize->currentIndex(), 1);
    EXPECT_EQ(d->SpnindexImageFontsize->value(), 20);
    EXPECT_EQ(d->spnCellSpacing->value(), 1);
    EXPECT_EQ(d->spnCellPadding->value(), 2);
    // Reading goes on after the group.
    EXPECT_EQ(d->edtpagenumberprefix->text(), "after");
    EXPECT_TRUE(d->rdbshownothing->isChecked());

    writeSection(1, "Index_Image_Font_Size=abc\nCell_Spacing=15\nCell_Padding=16\nThumb_Width=2000\n");
    ASSERT_TRUE(load(1));
    EXPECT_EQ(d->SpnindexImageFontsize->value(), 10);
    EXPECT_EQ(d->spnCellSpacing->value(), 15);
    EXPECT_EQ(d->spnCellPadding->value(), 16);
    EXPECT_EQ(d->SpnThumbW->value(), 900);  // clamped to the spin's range

    writeSection(1, "Cell_Spacing=x\nCell_Padding=16\nDefault_Font_Size=9\n");
    d->spnCellPadding->setValue(3);
    ASSERT_TRUE(load(1));
    EXPECT_EQ(d->spnCellPadding->value(), 3);
    EXPECT_EQ(d->cmbFontsize->currentIndex(), -1);  // outside the list: no selection
}

TEST_F(RotationStoreTest, ReadRulesOfTheSingleKeys) {
    TdlgThumbOptions* d = dlgThumbOptions;

    writeSection(2, "Image_Width=NA\nImage_Height=400\nPage_Position_Heading_Size=7\nIndex_Layout=horizontal\n"
                    "Image_UseSameNavGraphics=True\nFilename_Display=Normal\nImage_Display_Method=many\n"
                    "Status=built\nDisplayAsImage=no\nImage_Style_File=%\\Styles/img.html\n"
                    "Heading_Colour=DEFAULT\nDisplayed_Page_Text_Colour=clwhite\n"
                    "Other_Page_Text_Colour=not a colour\nLink_Enclosure_Colour=255\n");
    d->spnImageWidth->setValue(700);
    d->chkmaximagesize->setChecked(true);
    d->cmbHeadingColour->setCurrentIndex(4);
    d->cmbNonCurrentIndexText->setCurrentIndex(6);
    d->cmbImageDisplayMethod->setCurrentIndex(3);
    d->rdbshowdescription->setChecked(true);
    CurrentRotationStatus = 2;
    // Without the directory: the editor's image list would mark the rotation as changed.
    ASSERT_TRUE(LoadRotation("Site_1", 2, false, true));
    EXPECT_FALSE(d->chkmaximagesize->isChecked());
    EXPECT_EQ(d->spnImageWidth->value(), 700);
    EXPECT_EQ(d->Cmbheadingsize->currentIndex(), 1);  // no selection becomes H2
    EXPECT_EQ(d->rgpIndexLayout->ItemIndex(), 1);
    EXPECT_FALSE(d->Chkusecustombuttons->isChecked());
    EXPECT_FALSE(d->chkUseSameNavGraphics->isChecked());
    EXPECT_TRUE(d->rdbshowfilenamewithext->isChecked());
    EXPECT_EQ(d->cmbImageDisplayMethod->currentIndex(), 0);
    EXPECT_EQ(CurrentRotationStatus, 0);
    // "no" is not FALSE: the image is shown alone and the image template is not read.
    EXPECT_TRUE(d->rdbDisplayasimage->isChecked());
    EXPECT_NE(d->cmbimagestyle->currentText(), DataDirectory + "Styles/img.html");
    EXPECT_TRUE(TdlgThumbOptions::IsDefault(d->cmbHeadingColour));
    EXPECT_EQ(d->cmbIndexTextColour->currentIndex(), 2);  // white
    EXPECT_TRUE(TdlgThumbOptions::IsDefault(d->cmbNonCurrentIndexText));
    EXPECT_EQ(d->cmbLinkEncColour->currentIndex(), 8);  // 255 is red

    // Width and height both numbers: the maximum size applies.
    writeSection(2, "Image_Width=1200\nImage_Height=900\nPage_Position_Heading_Size=2\n");
    ASSERT_TRUE(load(2));
    EXPECT_TRUE(d->chkmaximagesize->isChecked());
    EXPECT_EQ(d->spnImageWidth->value(), 1200);
    EXPECT_EQ(d->SpnImageHeight->value(), 900);
    EXPECT_EQ(d->Cmbheadingsize->currentIndex(), 2);
    // A width without a height: the width is taken, the size is off.
    writeSection(2, "Image_Width=300\nImage_Height=NA\nPage_Position_Heading_Size=x\n");
    ASSERT_TRUE(load(2));
    EXPECT_FALSE(d->chkmaximagesize->isChecked());
    EXPECT_EQ(d->spnImageWidth->value(), 300);
    EXPECT_EQ(d->Cmbheadingsize->currentIndex(), 2);

    // Custom buttons with both files: the shared-graphics flag is read.
    writeSection(2, "Previous_Page_File=/p.gif\nNext_Page_File=\\srv\\n.gif\nImage_UseSameNavGraphics=yes\n");
    ASSERT_TRUE(load(2));
    EXPECT_TRUE(d->Chkusecustombuttons->isChecked());
    EXPECT_EQ(d->edtnextfile->text(), "/srv/n.gif");
    EXPECT_TRUE(d->chkUseSameNavGraphics->isChecked());
    writeSection(2, "Previous_Page_File=/p.gif\nNext_Page_File=/n.gif\nImage_UseSameNavGraphics=false\n");
    ASSERT_TRUE(load(2));
    EXPECT_FALSE(d->chkUseSameNavGraphics->isChecked());
}

TEST_F(RotationStoreTest, ThumbnailHeaderFileWinsOverItsHtml) {
    TdlgEditSite* e = dlgEditSite;
    writeSection(1, "Header_HTML=<p>top</p>\nHeader_File=%\\Site_1\\heads.txt\nFooter_HTML=<p>bottom</p>\n");
    ASSERT_TRUE(load(1));
    EXPECT_EQ(e->cmbHeader->currentIndex(), 2);
    EXPECT_EQ(e->edtheaderhtml->text(), "<p>top</p>");
    EXPECT_EQ(e->edtheaderfile->text(), DataDirectory + "Site_1/heads.txt");
    EXPECT_EQ(e->cmbFooter->currentIndex(), 1);
    EXPECT_EQ(e->edtfooterhtml->text(), "<p>bottom</p>");
}

// "Same as the thumbnail page" keeps earlier stored values: they override it for the header on
// the next load, not for the footer.
TEST_F(RotationStoreTest, ImagePageHeaderAndFooterReadDifferently) {
    TdlgThumbOptions* d = dlgThumbOptions;
    d->rdbHTMLImageWindow->setChecked(true);
    d->cmbimageHeader->setCurrentIndex(3);
    d->edtimageheaderfile->setText(DataDirectory + "Site_1/heads.txt");
    d->cmbimageFooter->setCurrentIndex(3);
    d->edtimagefooterfile->setText(DataDirectory + "Site_1/feet.txt");
    ASSERT_TRUE(SaveRotation(1, true));

    d->cmbimageHeader->setCurrentIndex(1);
    d->cmbimageFooter->setCurrentIndex(1);
    ASSERT_TRUE(SaveRotation(1, true));
    EXPECT_EQ(stored("Image_Header_Same_As_Index", 1), "True");
    EXPECT_EQ(stored("Image_Header_File", 1), "%\\Site_1/heads.txt");
    EXPECT_EQ(stored("Image_Footer_File", 1), "%\\Site_1/feet.txt");

    newDialogs();
    d = dlgThumbOptions;
    ASSERT_TRUE(load(1));
    EXPECT_EQ(d->cmbimageHeader->currentIndex(), 3);
    EXPECT_EQ(d->edtimageheaderfile->text(), DataDirectory + "Site_1/heads.txt");
    EXPECT_EQ(d->cmbimageFooter->currentIndex(), 1);
    EXPECT_TRUE(d->edtimagefooterfile->text().isEmpty());

    // The image page header is read only for HTML image pages.
    writeSection(1, "DisplayAsImage=True\nImage_Header_HTML=<p>x</p>\nImage_Footer_HTML=<p>y</p>\n");
    d->cmbimageHeader->setCurrentIndex(0);
    ASSERT_TRUE(load(1));
    EXPECT_EQ(d->cmbimageHeader->currentIndex(), 0);
    EXPECT_TRUE(d->edtimageheaderhtml->text().isEmpty());
    EXPECT_EQ(d->cmbimageFooter->currentIndex(), 2);
    EXPECT_EQ(d->edtimagefooterhtml->text(), "<p>y</p>");
}

TEST_F(RotationStoreTest, RotationDirectoryDefaultsAndCaption) {
    TdlgEditSite* e = dlgEditSite;
    writeSection(5, "Status=1\n");
    ASSERT_TRUE(load(5));
    EXPECT_EQ(e->edtrotationdirectory->text(), tsiterecord.Path + "Rotation_5");
    EXPECT_EQ(e->grpRotations->title(), "Rotation 5");
    EXPECT_EQ(CurrentRotationStatus, 1);

    ApplicationOptions.UseRotations = false;
    ASSERT_TRUE(load(5));
    EXPECT_EQ(e->edtrotationdirectory->text(), tsiterecord.Path);
    EXPECT_EQ(e->grpRotations->title(), "Current Site");

    writeSection(5, "Rotation_Path=%\\Site_1\\Rotation_4\\\n");
    ASSERT_TRUE(load(5));
    EXPECT_EQ(e->edtrotationdirectory->text(), DataDirectory + "Site_1/Rotation_4/");
}

TEST_F(RotationStoreTest, SaveFailureIsReportedOnce) {
    QFile::remove(siteFileName("Site_1"));
    ASSERT_TRUE(QDir().mkpath(siteFileName("Site_1")));
    MessageScript script;
    script.answer(MessageResult::OK);
    EXPECT_FALSE(SaveRotation(1, true));
    ASSERT_EQ(script.texts().size(), 1);
    EXPECT_EQ(script.texts()[0],
              "Error encountered saving the settings for the current rotation.  Ensure you have sufficient disk "
              "space and write access to this drive");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);

    // A negative rotation number writes nothing and asks nothing.
    EXPECT_TRUE(SaveRotation(-1, true));
    EXPECT_EQ(script.texts().size(), 1);
}

TEST_F(RotationStoreTest, RotationListLines) {
    data.write("Site_2.ini",
               "[General]\r\nName=List\r\nPath=%\\Site_2\\\r\nRotationCount=3\r\nBaseHTMLName=Start.html\r\n"
               "[Rotation_1]\r\nRotation_Path=%\\Site_2\\R1\\\r\n"
               "[Rotation_3]\r\nRotation_Path=/no/such/place\r\n");
    for (const char* name : {"a.JPG", "b.gif", "c.Jpe", "d.png", "e.jpeg", "START.HTML"})
        data.write(QString("Site_2/R1/") + name, "x");
    // e.jpeg counts like a .jpe file. The list's default directory is "rotation_2"; names match
    // without regard to case.
    data.write("Site_2/Rotation_2/one.jpg", "x");
    data.write("Site_2/top.gif", "x");
    data.write("Site_2/top2.GIF", "x");

    QListWidget list;
    list.addItem("stale");
    loadrotationlist("Site_2", &list);
    EXPECT_EQ(lines(list), QStringList({"Rotation 1 : 4 Images : Built", "Rotation 2 : 1 Images : NOT BUILT",
                                        "Rotation 3 : ERROR! Not found!"}));

    // One version only: the first section's directory, or the site directory itself.
    ApplicationOptions.UseRotations = false;
    loadrotationlist("Site_2", &list);
    EXPECT_EQ(lines(list), QStringList({"Current Site  : 4 Images : Built"}));
    data.write("Site_4.ini", "[General]\r\nPath=%\\Site_2\\\r\n");
    loadrotationlist("Site_4", &list);
    EXPECT_EQ(lines(list), QStringList({"Current Site  : 2 Images : NOT BUILT"}));

    // The list's own default count is 10; a site directory that is gone shows as not found.
    ApplicationOptions.UseRotations = true;
    data.write("Site_3.ini", "[General]\r\nPath=/no/site/\r\nRotationCount=lots\r\n");
    loadrotationlist("Site_3", &list);
    ASSERT_EQ(list.count(), 10);
    EXPECT_EQ(list.item(9)->text(), "Rotation 10 : ERROR! Not found!");
}
