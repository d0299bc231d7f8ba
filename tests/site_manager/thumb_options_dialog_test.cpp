#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "platform/help.h"
#include "platform/shell_open.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QCoreApplication>
#include <QFileDialog>
#include <QInputDialog>
#include <QTest>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QTabWidget>
#include <gtest/gtest.h>

using platform::MessageKind;
using platform::MessageResult;
using testing_support::MessageScript;
using testing_support::TempDataDir;

namespace {

QStringList itemsOf(const QComboBox* combo) {
    QStringList items;
    for (int i = 0; i < combo->count(); ++i) items << combo->itemText(i);
    return items;
}

// Answers a file dialog by choosing the given file.
std::function<int(QDialog&)> chooseFile(const QString& path) {
    return [path](QDialog& dialog) {
        auto& files = dynamic_cast<QFileDialog&>(dialog);
        files.selectFile(path);
        return int(QDialog::Accepted);
    };
}

int cancelDialog(QDialog&) { return QDialog::Rejected; }

}  // namespace

class ThumbOptionsTest : public ::testing::Test {
protected:
    void SetUp() override {
        initDataDirectory();
        dlgThumbOptions = &dialog;
    }
    void TearDown() override {
        dlgThumbOptions = nullptr;
        dlgEditSite = nullptr;
        platform::setDocumentOpenerForTesting([](const QString&) { return true; });
    }

    TempDataDir data;
    TdlgThumbOptions dialog;
};

TEST_F(ThumbOptionsTest, StartsWithItsDefaultsOnSixPages) {
    EXPECT_EQ(dialog.windowTitle(), "Settings");
    QStringList pages;
    for (int i = 0; i < dialog.PageControl1->count(); ++i) pages << dialog.PageControl1->tabText(i);
    EXPECT_EQ(pages, QStringList({"Thumbnails", "Page Index", "Page Index 2", "Image Display", "Page Text", "Other"}));

    const std::pair<QSpinBox*, int> spins[] = {
        {dialog.SpnThumbW, 100},      {dialog.SpnThumbH, 100},       {dialog.spnJPEGQuality, 70},
        {dialog.spnHorzCOunt, 5},     {dialog.spnVertCOunt, 4},      {dialog.spnImageborder, 2},
        {dialog.spnCellPadding, 10},  {dialog.spnCellSpacing, 3},    {dialog.SpnindexImageFontsize, 10},
        {dialog.spnImageWidth, 100},  {dialog.SpnImageHeight, 100},
    };
    for (const auto& [spin, value] : spins) EXPECT_EQ(spin->value(), value);

    EXPECT_TRUE(dialog.rdbshowfilenamenoext->isChecked());
    EXPECT_EQ(dialog.rdbshowdescription->text(), "Read image description from file:");
    EXPECT_TRUE(dialog.edtdescripfile->text().isEmpty());
    EXPECT_TRUE(dialog.chkShowFIlenameWhenNoDesc->isChecked());
    EXPECT_EQ(dialog.rgpIndexLayout->ItemIndex(), 0);
    EXPECT_EQ(dialog.edtpagenumberprefix->text(), "Page");
    EXPECT_FALSE(dialog.chkImageButtons->isChecked());
    EXPECT_TRUE(dialog.chkIndexInThumbPages->isChecked());
    EXPECT_TRUE(dialog.chkIndexInImagePages->isChecked());
    EXPECT_TRUE(dialog.rdbindexfontdefault->isChecked());
    EXPECT_TRUE(dialog.rdbfontdefault->isChecked());
    EXPECT_TRUE(dialog.rdbDisplayasimage->isChecked());
    EXPECT_TRUE(dialog.chkUseSameNavGraphics->isChecked());
    EXPECT_FALSE(dialog.chkimagenavigationbar->isChecked());
    EXPECT_FALSE(dialog.chkmaximagesize->isChecked());
    EXPECT_TRUE(dialog.chkAddTavrelLink->isChecked());
    EXPECT_EQ(dialog.chkAddTavrelLink->text(), "Add link to Tavrel Software home page");
    EXPECT_FALSE(dialog.chkThumbnailPageHeading->isChecked());
    EXPECT_FALSE(dialog.Chkusecustombuttons->isChecked());

    const QStringList sizes = {"-2", "-1", "Default", "+1", "+2", "+3", "+4"};
    EXPECT_EQ(itemsOf(dialog.cmbFontsize), sizes);
    EXPECT_EQ(itemsOf(dialog.cmbindexFontsize), sizes);
    EXPECT_EQ(dialog.cmbFontsize->currentText(), "Default");
    EXPECT_EQ(dialog.cmbindexFontsize->currentText(), "Default");
    EXPECT_EQ(itemsOf(dialog.cmbLinkEnclosure), QStringList({"None", "< >", "> <", "[  ]", "-  -"}));
    EXPECT_EQ(dialog.cmbLinkEnclosure->currentIndex(), 0);
    EXPECT_EQ(itemsOf(dialog.Cmbheadingsize), QStringList({"H1 (Largest)", "H2", "H3", "H4 (Smallest)"}));
    EXPECT_EQ(dialog.Cmbheadingsize->currentIndex(), 0);
    EXPECT_EQ(dialog.cmbimageHeader->currentText(), "Use same Header settings as Thumbnail page");
    EXPECT_EQ(dialog.cmbimageFooter->itemText(3), "Different Footer on each created page");
    EXPECT_EQ(dialog.cmbimageFooter->currentIndex(), 1);
    EXPECT_EQ(dialog.cmbImageDisplayMethod->count(), 4);
    EXPECT_EQ(dialog.cmbImageDisplayMethod->currentText(), "Display image in the same browser window as thumbnail index");
    for (TColourCombo* combo : {dialog.cmbIndexTextColour, dialog.cmbNonCurrentIndexText, dialog.cmbLinkEncColour,
                                dialog.cmbHeadingColour}) {
        ASSERT_EQ(combo->count(), 15);
        EXPECT_EQ(combo->currentText(), "Default Page Colour");
        EXPECT_EQ(combo->itemText(14), "Other..");
        EXPECT_TRUE(TdlgThumbOptions::IsDefault(combo));
        EXPECT_EQ(TdlgThumbOptions::IsColour(combo), 0u);
    }
}

TEST_F(ThumbOptionsTest, SpinBoxesKeepToTheirRangesAndSteps) {
    dialog.SpnThumbW->setValue(5);
    EXPECT_EQ(dialog.SpnThumbW->value(), 20);
    dialog.SpnThumbH->setValue(1000);
    EXPECT_EQ(dialog.SpnThumbH->value(), 900);
    dialog.SpnThumbW->stepBy(1);
    EXPECT_EQ(dialog.SpnThumbW->value(), 30);
    dialog.spnJPEGQuality->setValue(0);
    EXPECT_EQ(dialog.spnJPEGQuality->value(), 1);
    dialog.spnHorzCOunt->setValue(101);
    EXPECT_EQ(dialog.spnHorzCOunt->value(), 100);
    dialog.spnImageborder->setValue(10);
    EXPECT_EQ(dialog.spnImageborder->value(), 9);
    dialog.spnCellPadding->setValue(31);
    EXPECT_EQ(dialog.spnCellPadding->value(), 30);
    dialog.spnCellSpacing->setValue(-1);
    EXPECT_EQ(dialog.spnCellSpacing->value(), 0);
    dialog.spnCellSpacing->setValue(25);
    EXPECT_EQ(dialog.spnCellSpacing->value(), 20);
    dialog.SpnindexImageFontsize->setValue(1);
    EXPECT_EQ(dialog.SpnindexImageFontsize->value(), 2);
    dialog.SpnindexImageFontsize->setValue(200);
    EXPECT_EQ(dialog.SpnindexImageFontsize->value(), 144);
    dialog.spnImageWidth->stepBy(2);
    EXPECT_EQ(dialog.spnImageWidth->value(), 300);
    dialog.SpnImageHeight->setValue(9000);
    EXPECT_EQ(dialog.SpnImageHeight->value(), 5000);
}

TEST_F(ThumbOptionsTest, FontListsHoldTheInstalledFacesAndStartEmpty) {
    ASSERT_GT(dialog.FontName->count(), 0);
    EXPECT_EQ(dialog.FontName->count(), dialog.indexFontName->count());
    QStringList sorted = itemsOf(dialog.FontName);
    EXPECT_TRUE(std::is_sorted(sorted.begin(), sorted.end()));
    EXPECT_TRUE(dialog.FontName->currentText().isEmpty());
    EXPECT_TRUE(dialog.indexFontName->currentText().isEmpty());
}

TEST_F(ThumbOptionsTest, EnclosureColourFollowsTheEnclosure) {
    EXPECT_FALSE(dialog.cmbLinkEncColour->isEnabled());
    EXPECT_FALSE(dialog.edtLinkEncColour->isEnabled());
    dialog.cmbLinkEnclosure->setCurrentIndex(3);
    EXPECT_TRUE(dialog.cmbLinkEncColour->isEnabled());
    EXPECT_TRUE(dialog.edtLinkEncColour->isEnabled());
    EXPECT_TRUE(dialog.lblLinkEncColour->isEnabled());
    dialog.cmbLinkEnclosure->setCurrentIndex(0);
    EXPECT_FALSE(dialog.lblLinkEncColour->isEnabled());
}

TEST_F(ThumbOptionsTest, HtmlImagePagesEnableTheirControls) {
    QWidget* const htmlOnly[] = {dialog.chkimagenavigationbar, dialog.lblimagestyle,  dialog.cmbimagestyle,
                                 dialog.btnbrowseimagestyle,   dialog.chkImageHeading, dialog.cmbimageHeader,
                                 dialog.lblimageHeader,        dialog.cmbimageFooter,  dialog.lblimageFooter,
                                 dialog.chkIndexInImagePages};
    for (QWidget* widget : htmlOnly) EXPECT_FALSE(widget->isEnabled());
    EXPECT_FALSE(dialog.btnEditHeader->isEnabled());

    dialog.rdbHTMLImageWindow->click();
    for (QWidget* widget : htmlOnly) EXPECT_TRUE(widget->isEnabled());
    // The editors only for a header or footer of its own.
    EXPECT_FALSE(dialog.btnEditHeader->isEnabled());
    EXPECT_FALSE(dialog.btnEditFooter->isEnabled());
    dialog.cmbimageHeader->setCurrentIndex(2);
    dialog.cmbimageFooter->setCurrentIndex(3);
    EXPECT_TRUE(dialog.btnEditHeader->isEnabled());
    EXPECT_TRUE(dialog.btnEditFooter->isEnabled());

    // Test Compliance and View Page need a template.
    EXPECT_FALSE(dialog.btnTestCompliance->isEnabled());
    EXPECT_FALSE(dialog.btnViewPage->isEnabled());
    dialog.cmbimagestyle->setEditText("/tmp/image.htm");
    EXPECT_TRUE(dialog.btnTestCompliance->isEnabled());
    EXPECT_TRUE(dialog.btnViewPage->isEnabled());

    dialog.rdbDisplayasimage->click();
    for (QWidget* widget : htmlOnly) EXPECT_FALSE(widget->isEnabled());
    EXPECT_FALSE(dialog.btnEditHeader->isEnabled());
    EXPECT_FALSE(dialog.btnTestCompliance->isEnabled());
    EXPECT_FALSE(dialog.btnViewPage->isEnabled());
}

TEST_F(ThumbOptionsTest, ImagePageHeaderAndFooterAreEditedAsSnippetOrListFile) {
    dialog.rdbHTMLImageWindow->click();
    dialog.cmbimageHeader->setCurrentIndex(2);
    dialog.cmbimageFooter->setCurrentIndex(3);
    const QString list = data.write("footers.txt", "<p>one</p>\r\n<p>two</p>\r\n");
    MessageScript script;
    // The same header on every image page: the snippet composer.
    script.onDialog([](QDialog& d) {
        auto& composer = dynamic_cast<TdlgNewHeaderFooter&>(d);
        EXPECT_EQ(composer.windowTitle(), "Edit Header");
        composer.edtRawHTML->setText("<h1>Gallery</h1>");
        QTest::mouseClick(composer.BitBtn1, Qt::LeftButton);
        return d.result();
    });
    // A different footer on each: the list editor, with the list loaded from the chosen file.
    script.onDialog([&](QDialog& d) {
        auto& editor = dynamic_cast<TdlgHeaderFooter&>(d);
        EXPECT_EQ(editor.windowTitle(), "Edit Footer List");
        script.onDialog(chooseFile(list));
        QTest::mouseClick(editor.btnloadfromfile, Qt::LeftButton);
        EXPECT_EQ(editor.lbxheaders->count(), 2);
        QTest::mouseClick(editor.BitBtn3, Qt::LeftButton);
        return d.result();
    });
    QTest::mouseClick(dialog.btnEditHeader, Qt::LeftButton);
    QTest::mouseClick(dialog.btnEditFooter, Qt::LeftButton);
    EXPECT_EQ(dialog.edtimageheaderhtml->text(), "<h1>Gallery</h1>");
    EXPECT_EQ(dialog.edtimagefooterfile->text(), list);

    // A cancelled editor changes nothing.
    script.onDialog(cancelDialog);
    QTest::mouseClick(dialog.btnEditHeader, Qt::LeftButton);
    EXPECT_EQ(dialog.edtimageheaderhtml->text(), "<h1>Gallery</h1>");
}

TEST_F(ThumbOptionsTest, NavigationGraphicsFollowCustomButtonsAndTheDisplayKind) {
    EXPECT_FALSE(dialog.edtpreviousfile->isEnabled());
    EXPECT_FALSE(dialog.btnbrowsenext->isEnabled());
    EXPECT_FALSE(dialog.chkUseSameNavGraphics->isEnabled());

    dialog.Chkusecustombuttons->setChecked(true);
    for (QWidget* widget : {static_cast<QWidget*>(dialog.lblpreviousfile), static_cast<QWidget*>(dialog.edtpreviousfile),
                            static_cast<QWidget*>(dialog.btnbrowseprevious), static_cast<QWidget*>(dialog.lblnextfile),
                            static_cast<QWidget*>(dialog.edtnextfile), static_cast<QWidget*>(dialog.btnbrowsenext)})
        EXPECT_TRUE(widget->isEnabled());
    EXPECT_FALSE(dialog.edtindexfile->isEnabled());  // the index graphic is for image pages
    EXPECT_FALSE(dialog.chkUseSameNavGraphics->isEnabled());

    dialog.rdbHTMLImageWindow->setChecked(true);
    EXPECT_TRUE(dialog.edtindexfile->isEnabled());
    EXPECT_TRUE(dialog.btnbrowseindex->isEnabled());
    EXPECT_TRUE(dialog.lblindexfile->isEnabled());
    EXPECT_FALSE(dialog.chkUseSameNavGraphics->isEnabled());
    dialog.chkimagenavigationbar->setChecked(true);
    EXPECT_TRUE(dialog.chkUseSameNavGraphics->isEnabled());
    EXPECT_TRUE(dialog.chkUseSameNavGraphics->isChecked());

    dialog.Chkusecustombuttons->click();  // off
    EXPECT_FALSE(dialog.chkUseSameNavGraphics->isEnabled());
    EXPECT_FALSE(dialog.chkUseSameNavGraphics->isChecked());
    EXPECT_FALSE(dialog.edtnextfile->isEnabled());
    EXPECT_FALSE(dialog.edtindexfile->isEnabled());
}

TEST_F(ThumbOptionsTest, ImageButtonsFontsSizesAndDescriptionsEnableTheirControls) {
    QWidget* const buttonControls[] = {dialog.SpnindexImageFontsize, dialog.lblindexImageFontsize,
                                       dialog.edtSelectedImageButton, dialog.edtotherImageButton,
                                       dialog.btnbrowseselected,     dialog.btnbrowseother,
                                       dialog.lblSelectedImageButton, dialog.lblotherImageButton,
                                       dialog.cmbNonCurrentIndexText, dialog.lblNonCurrentIndexText};
    for (QWidget* widget : buttonControls) EXPECT_FALSE(widget->isEnabled());
    EXPECT_TRUE(dialog.cmbindexFontsize->isEnabled());
    dialog.chkImageButtons->click();
    for (QWidget* widget : buttonControls) EXPECT_TRUE(widget->isEnabled());
    EXPECT_FALSE(dialog.cmbindexFontsize->isEnabled());
    EXPECT_FALSE(dialog.lblindexFontsize->isEnabled());

    EXPECT_FALSE(dialog.FontName->isEnabled());
    EXPECT_FALSE(dialog.indexFontName->isEnabled());
    dialog.rdbfontcustom->click();
    EXPECT_TRUE(dialog.FontName->isEnabled());
    EXPECT_FALSE(dialog.indexFontName->isEnabled());
    dialog.rdbindexfontcustom->click();
    EXPECT_TRUE(dialog.indexFontName->isEnabled());
    dialog.rdbfontdefault->click();
    EXPECT_FALSE(dialog.FontName->isEnabled());

    EXPECT_FALSE(dialog.spnImageWidth->isEnabled());
    dialog.chkmaximagesize->setChecked(true);
    EXPECT_TRUE(dialog.spnImageWidth->isEnabled());
    EXPECT_TRUE(dialog.SpnImageHeight->isEnabled());
    EXPECT_TRUE(dialog.lblImageHeight->isEnabled());

    EXPECT_FALSE(dialog.edtdescripfile->isEnabled());
    EXPECT_FALSE(dialog.chkShowFIlenameWhenNoDesc->isEnabled());
    dialog.rdbshowdescription->click();
    EXPECT_TRUE(dialog.edtdescripfile->isEnabled());
    EXPECT_TRUE(dialog.btnbrowsedescrip->isEnabled());
    EXPECT_TRUE(dialog.chkShowFIlenameWhenNoDesc->isEnabled());
    dialog.rdbshownothing->click();
    EXPECT_FALSE(dialog.edtdescripfile->isEnabled());
}

TEST_F(ThumbOptionsTest, PaletteEntriesAndColoursMapBothWays) {
    EXPECT_EQ(TdlgThumbOptions::tcolor2Colourcode(0x0000FF), 8);  // red
    EXPECT_EQ(TdlgThumbOptions::tcolor2Colourcode(0x000000), 1);
    EXPECT_EQ(TdlgThumbOptions::tcolor2Colourcode(0xFF00FF), 13);
    EXPECT_EQ(TdlgThumbOptions::tcolor2Colourcode(0x563412), 0);
    EXPECT_EQ(TdlgThumbOptions::Colourcode2tcolor(10), 0x800000u);  // navy
    EXPECT_EQ(TdlgThumbOptions::Colourcode2tcolor(5), 0x00FFFFu);   // yellow
    EXPECT_EQ(TdlgThumbOptions::Colourcode2tcolor(0), 0xC0C0C0u);
    EXPECT_EQ(TdlgThumbOptions::Colourcode2tcolor(14), 0xC0C0C0u);
    for (int entry = 1; entry <= 13; ++entry)
        EXPECT_EQ(TdlgThumbOptions::tcolor2Colourcode(TdlgThumbOptions::Colourcode2tcolor(entry)), entry);
}

TEST_F(ThumbOptionsTest, PaletteEntryShowsItsHtmlValue) {
    dialog.cmbHeadingColour->setCurrentIndex(8);
    EXPECT_EQ(dialog.EdtHeadingColour->text(), "#FF0000");
    EXPECT_FALSE(TdlgThumbOptions::IsDefault(dialog.cmbHeadingColour));
    EXPECT_EQ(TdlgThumbOptions::IsColour(dialog.cmbHeadingColour), 0x0000FFu);
    dialog.cmbHeadingColour->setCurrentIndex(0);
    EXPECT_TRUE(dialog.EdtHeadingColour->text().isEmpty());
    EXPECT_EQ(TdlgThumbOptions::IsColour(dialog.cmbHeadingColour), 0u);
}

TEST_F(ThumbOptionsTest, OtherColourChosenInTheColourDialogBecomesACustomColour) {
    MessageScript script;
    script.onDialog([](QDialog& dialog) {
        auto& colours = dynamic_cast<QColorDialog&>(dialog);
        colours.setCurrentColor(QColor(0x12, 0x34, 0x56));
        return int(QDialog::Accepted);
    });
    dialog.cmbIndexTextColour->setCurrentIndex(14);
    EXPECT_EQ(script.dialogsShown(), 1);
    EXPECT_EQ(dialog.cmbIndexTextColour->currentIndex(), -1);
    EXPECT_EQ(dialog.edtindexTextColour->text(), "#123456");
    EXPECT_FALSE(TdlgThumbOptions::IsDefault(dialog.cmbIndexTextColour));
    EXPECT_EQ(TdlgThumbOptions::IsColour(dialog.cmbIndexTextColour), 0x563412u);
}

TEST_F(ThumbOptionsTest, CancelledColourDialogReturnsToTheDefaultEntry) {
    dialog.cmbLinkEncColour->setCurrentIndex(3);
    MessageScript script;
    script.onDialog(cancelDialog);
    dialog.cmbLinkEncColour->setCurrentIndex(14);
    EXPECT_EQ(dialog.cmbLinkEncColour->currentIndex(), 0);
    EXPECT_EQ(dialog.cmbLinkEncColour->currentText(), "Default Page Colour");
    EXPECT_TRUE(dialog.edtLinkEncColour->text().isEmpty());
    EXPECT_TRUE(TdlgThumbOptions::IsDefault(dialog.cmbLinkEncColour));
}

TEST_F(ThumbOptionsTest, LoadedColoursSelectDefaultPaletteOrCustom) {
    dialog.SetDefaultSetColour(dialog.cmbNonCurrentIndexText, false, 0x563412);
    EXPECT_EQ(dialog.cmbNonCurrentIndexText->currentIndex(), -1);
    EXPECT_EQ(dialog.edtNonCurrentIndexText->text(), "#123456");
    EXPECT_EQ(TdlgThumbOptions::IsColour(dialog.cmbNonCurrentIndexText), 0x563412u);

    dialog.SetDefaultSetColour(dialog.cmbNonCurrentIndexText, false, 0x800000);
    EXPECT_EQ(dialog.cmbNonCurrentIndexText->currentIndex(), 10);
    EXPECT_EQ(dialog.edtNonCurrentIndexText->text(), "#000080");

    dialog.SetDefaultSetColour(dialog.cmbNonCurrentIndexText, true, 0x0000FF);
    EXPECT_EQ(dialog.cmbNonCurrentIndexText->currentIndex(), 0);
    EXPECT_TRUE(dialog.edtNonCurrentIndexText->text().isEmpty());
}

TEST_F(ThumbOptionsTest, ShowingGivesEmptyCombosTheirDefaultsButKeepsCustomColours) {
    dialog.SetDefaultSetColour(dialog.cmbHeadingColour, false, 0x563412);
    for (QComboBox* combo : {dialog.Cmbheadingsize, dialog.cmbLinkEnclosure, dialog.cmbFontsize,
                             dialog.cmbindexFontsize, dialog.cmbimageHeader, dialog.cmbimageFooter,
                             dialog.cmbImageDisplayMethod})
        combo->setCurrentIndex(-1);
    dialog.show();
    dialog.hide();
    EXPECT_EQ(dialog.Cmbheadingsize->currentIndex(), 0);
    EXPECT_EQ(dialog.cmbLinkEnclosure->currentIndex(), 0);
    EXPECT_EQ(dialog.cmbFontsize->currentText(), "Default");
    EXPECT_EQ(dialog.cmbindexFontsize->currentText(), "Default");
    EXPECT_EQ(dialog.cmbimageHeader->currentIndex(), 1);
    EXPECT_EQ(dialog.cmbimageFooter->currentIndex(), 1);
    EXPECT_EQ(dialog.cmbImageDisplayMethod->currentIndex(), 0);
    EXPECT_EQ(dialog.cmbHeadingColour->currentIndex(), -1);
    EXPECT_EQ(dialog.EdtHeadingColour->text(), "#123456");
}

TEST_F(ThumbOptionsTest, ShowingFillsNavigationGraphicsFoundInTheDataDirectory) {
    const QString next = data.write("navgraph/Next.gif", "GIF89a");
    data.write("navgraph/Index.gif", "GIF89a");
    dialog.edtindexfile->setText("/elsewhere/home.gif");
    dialog.show();
    dialog.hide();
    EXPECT_EQ(dialog.edtnextfile->text(), next);
    EXPECT_TRUE(dialog.edtpreviousfile->text().isEmpty());  // no Previous.gif
    EXPECT_EQ(dialog.edtindexfile->text(), "/elsewhere/home.gif");
}

TEST_F(ThumbOptionsTest, ShowingWithoutNavigationGraphicsLeavesTheEditsEmpty) {
    dialog.show();
    dialog.hide();
    EXPECT_TRUE(dialog.edtnextfile->text().isEmpty());
    EXPECT_TRUE(dialog.edtpreviousfile->text().isEmpty());
    EXPECT_TRUE(dialog.edtindexfile->text().isEmpty());
}

TEST_F(ThumbOptionsTest, ShowingSeedsTheImageTemplatesFromTheSiteEditorOnce) {
    TdlgEditSite editor;
    dlgEditSite = &editor;
    editor.cmbstyle->addItems({"/t/one.htm", "/t/two.htm"});
    dialog.cmbimagestyle->setEditText("/t/mine.htm");
    dialog.show();
    dialog.hide();
    EXPECT_EQ(itemsOf(dialog.cmbimagestyle), QStringList({"/t/one.htm", "/t/two.htm"}));
    EXPECT_EQ(dialog.cmbimagestyle->currentText(), "/t/mine.htm");
    editor.cmbstyle->addItem("/t/three.htm");
    dialog.show();
    dialog.hide();
    EXPECT_EQ(dialog.cmbimagestyle->count(), 2);
}

TEST_F(ThumbOptionsTest, OkChecksRunInOrderAndStopAtTheFirstFailure) {
    dialog.show();
    MessageScript script;
    const auto clickOk = [&] {
        script.answer(MessageResult::OK);
        dialog.btnOK->click();
    };

    // Every check fails at once; each click shows only the first failure left.
    dialog.rdbHTMLImageWindow->setChecked(true);
    dialog.cmbimagestyle->setEditText(data.file("missing.htm"));
    dialog.rdbshowdescription->setChecked(true);
    dialog.cmbimageHeader->setCurrentIndex(2);
    dialog.cmbimageFooter->setCurrentIndex(2);
    dialog.Chkusecustombuttons->setChecked(true);
    dialog.edtnextfile->setText(data.write("n.gif", "GIF89a"));
    dialog.chkImageButtons->setChecked(true);

    clickOk();
    dialog.cmbimagestyle->setEditText(data.write("image.htm", "***CONTENT***"));
    clickOk();
    dialog.edtdescripfile->setText(data.write("desc.csv", "a.jpg,A"));
    clickOk();
    dialog.edtimageheaderhtml->setText("<p>head</p>");
    dialog.cmbimageHeader->setCurrentIndex(3);
    dialog.edtimageheaderfile->setText(data.file("heads.txt"));
    clickOk();
    dialog.edtimageheaderfile->setText(data.write("heads.txt", "<p>1</p>"));
    clickOk();
    dialog.edtimagefooterhtml->setText("<p>foot</p>");
    dialog.cmbimageFooter->setCurrentIndex(3);
    clickOk();
    dialog.edtimagefooterfile->setText(data.write("feet.txt", "<p>1</p>"));
    clickOk();
    dialog.edtpreviousfile->setText(data.write("p.gif", "GIF89a"));
    clickOk();
    EXPECT_EQ(dialog.result(), platform::mrNone);
    EXPECT_TRUE(dialog.isVisible());

    const QStringList expected = {
        "You have elected to create HTML pages, however you have not specified a template file or the file cannot be "
        "located!",
        "You have elected to show descriptions for your thumbnails, however you have not specified a description file "
        "or the file cannot be located!",
        "You have elected to insert a header, but have not provided any HTML!",
        "You have elected to insert custom headers, but you have not specified a file to use or the file cannot be "
        "located!",
        "You have elected to insert a footer, but have not provided any HTML!",
        "You have elected to insert custom footers, but you have not specified a file to use or the file cannot be "
        "located!",
        "You have elected to use custom previous and next images, however one of the images you have entered cannot "
        "be located!",
        "You have elected to use custom image buttons for your Index, however one of the images you have entered "
        "cannot be located!",
    };
    EXPECT_EQ(script.texts(), expected);
    const MessageKind kinds[] = {MessageKind::Warning,     MessageKind::Warning, MessageKind::Information,
                                 MessageKind::Warning,     MessageKind::Information, MessageKind::Warning,
                                 MessageKind::Warning,     MessageKind::Warning};
    ASSERT_EQ(script.requests().size(), 8u);
    for (int i = 0; i < 8; ++i) EXPECT_EQ(script.requests()[std::size_t(i)].kind, kinds[i]) << i;

    // One style graphic is enough.
    dialog.edtotherImageButton->setText(data.write("other.gif", "GIF89a"));
    dialog.btnOK->click();
    EXPECT_EQ(dialog.result(), platform::mrOk);
    EXPECT_FALSE(dialog.isVisible());
}

TEST_F(ThumbOptionsTest, HeaderTextChecksApplyWhateverTheDisplayKind) {
    dialog.cmbimageFooter->setCurrentIndex(3);
    MessageScript script;
    script.answer(MessageResult::OK);
    EXPECT_FALSE(dialog.ValidateOK());
    EXPECT_EQ(script.lastText(),
              "You have elected to insert custom footers, but you have not specified a file to use or the file cannot "
              "be located!");
    dialog.cmbimageFooter->setCurrentIndex(0);
    EXPECT_TRUE(dialog.ValidateOK());
}

TEST_F(ThumbOptionsTest, BrowseButtonsFillTheirEditsWithTheChosenFile) {
    const QString gif = data.write("art/prev.gif", "GIF89a");
    const QString csv = data.write("art/descriptions.csv", "a.jpg,A");
    dialog.Chkusecustombuttons->setChecked(true);
    dialog.rdbshowdescription->setChecked(true);
    dialog.chkImageButtons->setChecked(true);
    MessageScript script;
    QString title;
    script.onDialog([&](QDialog& d) {
        title = d.windowTitle();
        return chooseFile(gif)(d);
    });
    dialog.btnbrowseprevious->click();
    EXPECT_EQ(dialog.edtpreviousfile->text(), gif);
    EXPECT_EQ(title, "Please select an image to use");

    script.onDialog(chooseFile(csv));
    dialog.btnbrowsedescrip->click();
    EXPECT_EQ(dialog.edtdescripfile->text(), csv);

    script.onDialog(chooseFile(gif));
    dialog.btnbrowseselected->click();
    EXPECT_EQ(dialog.edtSelectedImageButton->text(), gif);

    script.onDialog(cancelDialog);
    dialog.btnbrowsenext->click();
    EXPECT_TRUE(dialog.edtnextfile->text().isEmpty());
    EXPECT_EQ(script.dialogsShown(), 4);
}

TEST_F(ThumbOptionsTest, BrowsedTemplateIsTestedAndTakenOnlyWhenAccepted) {
    const QString good = data.write("styles/image.htm", "<html>***CONTENT***</html>");
    dialog.rdbHTMLImageWindow->setChecked(true);
    TemplateFeatures.Image = {};
    MessageScript script;
    QString tested;
    const auto answerCompliance = [&](int result) {
        return [&tested, result](QDialog& d) {
            tested = dynamic_cast<TdlgStyle&>(d).edthtmlfile->text();
            return result;
        };
    };
    script.onDialog(chooseFile(good)).onDialog(answerCompliance(platform::mrCancel));
    dialog.btnbrowseimagestyle->click();
    EXPECT_EQ(tested, good);
    EXPECT_TRUE(dialog.cmbimagestyle->currentText().isEmpty());
    EXPECT_TRUE(TemplateFeatures.Image.Content);  // tested as an image template
    TemplateFeatures.Image = {};

    script.onDialog(chooseFile(good)).onDialog(answerCompliance(platform::mrOk));
    dialog.btnbrowseimagestyle->click();
    EXPECT_EQ(dialog.cmbimagestyle->currentText(), good);
    EXPECT_TRUE(TemplateFeatures.Image.Content);
    EXPECT_TRUE(dialog.btnTestCompliance->isEnabled());
}

TEST_F(ThumbOptionsTest, TestComplianceDisablesItselfUntilTheTemplateChanges) {
    const QString first = data.write("a.htm", "<html>***CONTENT*** ***INDEX***</html>");
    const QString second = data.write("b.htm", "<html>***CONTENT***</html>");
    dialog.rdbHTMLImageWindow->setChecked(true);
    dialog.cmbimagestyle->setEditText(first);
    MessageScript script;
    QString tested;
    script.onDialog([&](QDialog& d) {
        tested = dynamic_cast<TdlgStyle&>(d).edthtmlfile->text();
        return int(platform::mrOk);
    });
    dialog.btnTestCompliance->click();
    EXPECT_EQ(tested, first);
    EXPECT_TRUE(TemplateFeatures.Image.Index);
    EXPECT_FALSE(dialog.btnTestCompliance->isEnabled());
    dialog.cmbimagestyle->setEditText(second);
    EXPECT_TRUE(dialog.btnTestCompliance->isEnabled());
}

TEST_F(ThumbOptionsTest, LeavingTheImageTemplateAddsItToTheRecentList) {
    dialog.rdbHTMLImageWindow->setChecked(true);
    dialog.cmbimagestyle->addItem("/t/old.htm");
    dialog.cmbimagestyle->setEditText("/t/new.htm");
    QFocusEvent leave(QEvent::FocusOut, Qt::TabFocusReason);
    QCoreApplication::sendEvent(dialog.cmbimagestyle, &leave);
    EXPECT_EQ(itemsOf(dialog.cmbimagestyle), QStringList({"/t/old.htm", "/t/new.htm"}));
    EXPECT_EQ(dialog.cmbimagestyle->currentText(), "/t/new.htm");
}

TEST_F(ThumbOptionsTest, ViewPageAndHelpOpenTheirDocuments) {
    QStringList opened;
    platform::setDocumentOpenerForTesting([&](const QString& target) {
        opened << target;
        return true;
    });
    const QString page = data.write("image.htm", "<html>***CONTENT***</html>");
    dialog.rdbHTMLImageWindow->setChecked(true);
    dialog.cmbimagestyle->setEditText(page);
    dialog.btnViewPage->click();
    ASSERT_EQ(opened.size(), 1);
    EXPECT_EQ(opened[0], page);

    platform::setHelpFile(data.write("help.htm", "<html></html>"));
    const std::pair<int, const char*> pages[] = {{0, "help_context31.htm"}, {2, "help_context32.htm"},
                                                 {3, "help_context33.htm"}, {4, "help_context34.htm"},
                                                 {5, "help_context36.htm"}};
    for (const auto& [index, topicPage] : pages) {
        data.write(topicPage, "<html></html>");
        dialog.PageControl1->setCurrentIndex(index);
        dialog.btnHelp->click();
        EXPECT_EQ(opened.last(), data.file(topicPage));
    }
    platform::setHelpFile(QString());
}
