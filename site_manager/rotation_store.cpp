#include "site_manager/rotation_store.h"

#include "components/file_list_box.h"
#include "components/radio_group.h"
#include "platform/dialogs.h"
#include "platform/hourglass.h"
#include "platform/ini_file.h"
#include "site_manager/application_options.h"
#include "site_manager/builder/colour_combo.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/colour_string.h"
#include "site_manager/rotation_images.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "site_manager/site_record.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGroupBox>
#include <QLineEdit>
#include <QListWidget>
#include <QRadioButton>
#include <QSpinBox>

#include <functional>
#include <optional>
#include <stdexcept>

using platform::boolText;
using platform::IniFile;
using platform::onOnlyIfTrue;
using platform::onUnlessFalse;

namespace {

QString sectionName(int rotationNumber) { return "Rotation_" + QString::number(rotationNumber); }

// A whole number as the stored settings write it: decimal, or hexadecimal after "$" or "0x".
std::optional<int> wholeNumber(const QString& text) {
    const QString t = text.trimmed();
    bool ok = false;
    int value = 0;
    if (t.startsWith('$')) value = t.mid(1).toInt(&ok, 16);
    else if (t.startsWith("0x", Qt::CaseInsensitive)) value = t.mid(2).toInt(&ok, 16);
    else value = t.toInt(&ok, 10);
    if (!ok) return std::nullopt;
    return value;
}

// An index outside the list leaves the combo without a selection.
void setComboIndex(QComboBox* combo, int index) {
    combo->setCurrentIndex(index >= 0 && index < combo->count() ? index : -1);
}

// An editable combo takes any text; a fixed list selects the matching item, or none.
void setComboText(QComboBox* combo, const QString& text) {
    if (combo->isEditable()) {
        const int index = combo->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive);
        if (index >= 0) combo->setCurrentIndex(index);
        combo->setEditText(text);
    } else {
        combo->setCurrentIndex(combo->findText(text, Qt::MatchFixedString));
    }
}

QString colourComboString(const TColourCombo* combo) {
    return ColourString(TdlgThumbOptions::IsDefault(combo), TdlgThumbOptions::IsColour(combo));
}

// The per-key reading rules, on one section of one file.
class SectionReader {
public:
    SectionReader(const QString& fileName, const QString& section) : ini_(fileName), section_(section) {}

    QString text(const QString& key, const QString& defaultValue) const {
        return ini_.readString(section_, key, defaultValue);
    }
    bool onUnlessFalseKey(const QString& key) const { return onUnlessFalse(text(key, "True")); }
    bool onOnlyIfTrueKey(const QString& key) const { return onOnlyIfTrue(text(key, "False")); }
    // A stored path, the control's current text as the default.
    QString path(const QString& key, const QString& current) const { return expandpath(text(key, current)); }

private:
    IniFile ini_;
    QString section_;
};

void loadThumbnailHeaderFooter(const SectionReader& reader, QComboBox* choice, QLineEdit* htmlEdit,
                               QLineEdit* fileEdit, const QString& htmlKey, const QString& fileKey) {
    // Empty values keep the edits' old texts; only the choice goes back to "none".
    choice->setCurrentIndex(0);
    const QString html = reader.text(htmlKey, QString());
    if (!html.isEmpty()) {
        htmlEdit->setText(html);
        choice->setCurrentIndex(1);
    }
    const QString file = reader.text(fileKey, QString());
    if (!file.isEmpty()) {
        fileEdit->setText(expandpath(file));
        choice->setCurrentIndex(2);
    }
}

// The image page header (stored values override "same as thumbnail page") and footer ("same as"
// wins over stored values).
void loadImageHeaderFooter(const SectionReader& reader, QComboBox* choice, QLineEdit* htmlEdit,
                           QLineEdit* fileEdit, const QString& prefix, bool sameAsIndexWins) {
    const bool sameAsIndex = onOnlyIfTrue(reader.text(prefix + "_Same_As_Index", "False"));
    choice->setCurrentIndex(sameAsIndex ? 1 : 0);
    if (sameAsIndex && sameAsIndexWins) return;
    const QString html = reader.text(prefix + "_HTML", QString());
    if (!html.isEmpty()) {
        htmlEdit->setText(html);
        choice->setCurrentIndex(2);
    }
    const QString file = reader.text(prefix + "_File", QString());
    if (!file.isEmpty()) {
        fileEdit->setText(expandpath(file));
        choice->setCurrentIndex(3);
    }
}

// Thumbnail sizes, counts, link enclosure, fonts and cell spacing are read as one group: the
// first value that is not a whole number ends it, and the rest of the group keeps its values.
void loadNumberGroup(const SectionReader& reader, TdlgThumbOptions* d) {
    auto spin = [&](const QString& key, QSpinBox* box) {
        const auto value = wholeNumber(reader.text(key, QString::number(box->value())));
        if (value) box->setValue(*value);
        return value.has_value();
    };
    auto comboIndex = [&](const QString& key, QComboBox* combo, int offset) {
        const auto value = wholeNumber(reader.text(key, QString::number(combo->currentIndex() - offset)));
        if (value) setComboIndex(combo, *value + offset);
        return value.has_value();
    };
    auto font = [&](const QString& key, QComboBox* name, QRadioButton* defaultFont, QRadioButton* customFont) {
        setComboText(name, reader.text(key, name->currentText()));
        if (name->currentText().isEmpty()) defaultFont->setChecked(true);
        else customFont->setChecked(true);
        return true;
    };

    const bool complete = spin("Thumb_Width", d->SpnThumbW) && spin("Thumb_Height", d->SpnThumbH) &&
                          spin("Thumb_Border", d->spnImageborder) &&
                          spin("Thumb_JPEG_Quality", d->spnJPEGQuality) &&
                          spin("Horizontal_Thumb_Count", d->spnHorzCOunt) &&
                          spin("Vertical_Thumb_Count", d->spnVertCOunt) &&
                          comboIndex("Link_Enclosure", d->cmbLinkEnclosure, 0) &&
                          font("Default_Font", d->FontName, d->rdbfontdefault, d->rdbfontcustom) &&
                          comboIndex("Default_Font_Size", d->cmbFontsize, 2) &&
                          font("Index_Font", d->indexFontName, d->rdbindexfontdefault, d->rdbindexfontcustom) &&
                          comboIndex("Index_Font_Size", d->cmbindexFontsize, 2);
    if (!complete) return;
    // The index image font size has a fallback of its own and does not end the group.
    const auto imageFontSize =
        wholeNumber(reader.text("Index_Image_Font_Size", QString::number(d->SpnindexImageFontsize->value())));
    d->SpnindexImageFontsize->setValue(imageFontSize.value_or(10));
    if (spin("Cell_Spacing", d->spnCellSpacing)) spin("Cell_Padding", d->spnCellPadding);
}

void loadFilenameDisplay(const SectionReader& reader, TdlgThumbOptions* d) {
    const QString keyword = reader.text("Filename_Display", QString()).toUpper();
    if (keyword == "NONE") d->rdbshownothing->setChecked(true);
    else if (keyword == "HIDEEXT") d->rdbshowfilenamenoext->setChecked(true);
    else if (keyword == "DESCRIPTIONFILE") d->rdbshowdescription->setChecked(true);
    else d->rdbshowfilenamewithext->setChecked(true);
}

QString filenameDisplayKeyword(const TdlgThumbOptions* d) {
    if (d->rdbshownothing->isChecked()) return "None";
    if (d->rdbshowfilenamenoext->isChecked()) return "HideExt";
    if (d->rdbshowdescription->isChecked()) return "DescriptionFile";
    return "Normal";
}

// Both image dimensions must be whole numbers for the maximum size to apply.
void loadImageSize(const SectionReader& reader, TdlgThumbOptions* d) {
    const auto width = wholeNumber(reader.text("Image_Width", "NA"));
    if (!width) {
        d->chkmaximagesize->setChecked(false);
        return;
    }
    d->spnImageWidth->setValue(*width);
    const auto height = wholeNumber(reader.text("Image_Height", "NA"));
    if (!height) {
        d->chkmaximagesize->setChecked(false);
        return;
    }
    d->SpnImageHeight->setValue(*height);
    d->chkmaximagesize->setChecked(true);
}

void loadColour(const SectionReader& reader, const QString& key, TColourCombo* combo) {
    SetColourComboFromString(combo, reader.text(key, colourComboString(combo)));
}

void readRotation(const QString& siteKey, int rotationNumber, bool loadPath, bool makeCurrent) {
    TdlgEditSite* editor = dlgEditSite;
    TdlgThumbOptions* d = dlgThumbOptions;
    const SectionReader reader(siteFileName(siteKey), sectionName(rotationNumber));

    if (makeCurrent) {
        CurrentRotationNumber = rotationNumber;
        editor->grpRotations->setTitle(ApplicationOptions.UseRotations ? "Rotation " + QString::number(rotationNumber)
                                                                       : QStringLiteral("Current Site"));
        CurrentRotationStatus = wholeNumber(reader.text("Status", "0")).value_or(0);
        editor->Displaycurrentstatus();
    }
    if (loadPath) {
        const QString defaultDirectory = ApplicationOptions.UseRotations
                                             ? defaultRotationDirectory(tsiterecord.Path, "Rotation_", rotationNumber)
                                             : tsiterecord.Path;
        editor->edtrotationdirectory->setText(reader.path("Rotation_Path", defaultDirectory));
    }

    setComboText(editor->cmbstyle, reader.path("Style_File", editor->cmbstyle->currentText()));
    loadThumbnailHeaderFooter(reader, editor->cmbHeader, editor->edtheaderhtml, editor->edtheaderfile, "Header_HTML",
                              "Header_File");
    loadThumbnailHeaderFooter(reader, editor->cmbFooter, editor->edtfooterhtml, editor->edtfooterfile, "Footer_HTML",
                              "Footer_File");

    d->chkAddTavrelLink->setChecked(reader.onUnlessFalseKey("TavrelLink"));
    d->chkimagenavigationbar->setChecked(reader.onUnlessFalseKey("ImageNavigationBar"));
    d->chkIndexInImagePages->setChecked(reader.onUnlessFalseKey("IndexInImagePages"));
    d->chkIndexInThumbPages->setChecked(reader.onUnlessFalseKey("IndexInThumbPages"));
    d->chkThumbnailPageHeading->setChecked(reader.onUnlessFalseKey("Page_Position_Heading"));
    if (const auto size = wholeNumber(
            reader.text("Page_Position_Heading_Size", QString::number(d->Cmbheadingsize->currentIndex()))))
        setComboIndex(d->Cmbheadingsize, *size);
    if (d->Cmbheadingsize->currentIndex() < 0) d->Cmbheadingsize->setCurrentIndex(1);

    loadNumberGroup(reader, d);

    loadFilenameDisplay(reader, d);
    d->edtdescripfile->setText(reader.text("Description_File", d->edtdescripfile->text()));
    d->chkShowFIlenameWhenNoDesc->setChecked(reader.onUnlessFalseKey("ShowFilenameWhenNoDesc"));

    d->edtindexfile->setText(reader.path("Return_To_Index_File", d->edtindexfile->text()));
    d->edtpreviousfile->setText(reader.path("Previous_Page_File", d->edtpreviousfile->text()));
    d->edtnextfile->setText(reader.path("Next_Page_File", d->edtnextfile->text()));
    d->Chkusecustombuttons->setChecked(!d->edtnextfile->text().isEmpty() && !d->edtpreviousfile->text().isEmpty());

    d->edtSelectedImageButton->setText(reader.path("Selected_Page_Index_File", d->edtSelectedImageButton->text()));
    d->edtotherImageButton->setText(reader.path("Other_Page_Index_File", d->edtotherImageButton->text()));
    d->chkImageButtons->setChecked(!d->edtSelectedImageButton->text().isEmpty() &&
                                   !d->edtotherImageButton->text().isEmpty());

    loadColour(reader, "Displayed_Page_Text_Colour", d->cmbIndexTextColour);
    loadColour(reader, "Other_Page_Text_Colour", d->cmbNonCurrentIndexText);
    loadColour(reader, "Link_Enclosure_Colour", d->cmbLinkEncColour);
    loadColour(reader, "Heading_Colour", d->cmbHeadingColour);
    d->edtpagenumberprefix->setText(reader.text("Page_Number_Prefix", d->edtpagenumberprefix->text()));
    d->rgpIndexLayout->setItemIndex(reader.text("Index_Layout", "Vertical").toUpper() == "HORIZONTAL" ? 1 : 0);
    if (reader.onUnlessFalseKey("DisplayAsImage")) d->rdbDisplayasimage->setChecked(true);
    else d->rdbHTMLImageWindow->setChecked(true);

    d->chkindexBold->setChecked(reader.onOnlyIfTrueKey("Index_Font_Bold"));
    d->chkindexitalics->setChecked(reader.onOnlyIfTrueKey("Index_Font_Italics"));
    d->chkBold->setChecked(reader.onOnlyIfTrueKey("Default_Font_Bold"));
    d->chkitalics->setChecked(reader.onOnlyIfTrueKey("Default_Font_Italics"));

    if (d->rdbHTMLImageWindow->isChecked()) {
        setComboText(d->cmbimagestyle, reader.path("Image_Style_File", d->cmbimagestyle->currentText()));
        loadImageHeaderFooter(reader, d->cmbimageHeader, d->edtimageheaderhtml, d->edtimageheaderfile, "Image_Header",
                              false);
    }

    const auto method = wholeNumber(
        reader.text("Image_Display_Method", QString::number(d->cmbImageDisplayMethod->currentIndex())));
    setComboIndex(d->cmbImageDisplayMethod, method.value_or(0));
    loadImageHeaderFooter(reader, d->cmbimageFooter, d->edtimagefooterhtml, d->edtimagefooterfile, "Image_Footer",
                          true);
    loadImageSize(reader, d);
    d->chkImageHeading->setChecked(reader.onUnlessFalseKey("Image_Heading"));
    // Same graphics on the image pages only make sense with custom buttons to share.
    d->chkUseSameNavGraphics->setChecked(d->Chkusecustombuttons->isChecked() &&
                                         reader.onUnlessFalseKey("Image_UseSameNavGraphics"));
}

// Writes the controls into the section; the caller makes the writes one update of the file.
void writeRotation(IniFile& ini, int rotationNumber, bool writeStatusAndPath) {
    TdlgEditSite* editor = dlgEditSite;
    TdlgThumbOptions* d = dlgThumbOptions;
    const QString section = sectionName(rotationNumber);
    auto write = [&](const QString& key, const QString& value) { ini.writeString(section, key, value); };
    auto writeBool = [&](const QString& key, bool value) { write(key, boolText(value)); };
    auto writeNumber = [&](const QString& key, int value) { write(key, QString::number(value)); };
    auto writePathIf = [&](const QString& key, bool condition, const QLineEdit* edit) {
        write(key, condition ? truncatepath(edit->text()) : QString());
    };

    if (writeStatusAndPath) {
        writeNumber("Status", CurrentRotationStatus);
        write("Rotation_Path", truncatepath(editor->edtrotationdirectory->text()));
    }
    write("Style_File", truncatepath(editor->cmbstyle->currentText()));
    writePathIf("Header_File", editor->cmbHeader->currentIndex() == 2, editor->edtheaderfile);
    write("Header_HTML", editor->cmbHeader->currentIndex() == 1 ? editor->edtheaderhtml->text() : QString());
    writePathIf("Footer_File", editor->cmbFooter->currentIndex() == 2, editor->edtfooterfile);
    write("Footer_HTML", editor->cmbFooter->currentIndex() == 1 ? editor->edtfooterhtml->text() : QString());
    writeBool("ImageNavigationBar", d->chkimagenavigationbar->isChecked());
    writeBool("TavrelLink", d->chkAddTavrelLink->isChecked());
    writeBool("IndexInThumbPages", d->chkIndexInThumbPages->isChecked());
    writeBool("IndexInImagePages", d->chkIndexInImagePages->isChecked());
    writeBool("Page_Position_Heading", d->chkThumbnailPageHeading->isChecked());
    writeNumber("Page_Position_Heading_Size", d->Cmbheadingsize->currentIndex());
    writeNumber("Thumb_Width", d->SpnThumbW->value());
    writeNumber("Cell_Padding", d->spnCellPadding->value());
    writeNumber("Cell_Spacing", d->spnCellSpacing->value());
    writeNumber("Thumb_Height", d->SpnThumbH->value());
    writeNumber("Thumb_Border", d->spnImageborder->value());
    writeNumber("Thumb_JPEG_Quality", d->spnJPEGQuality->value());
    writeNumber("Horizontal_Thumb_Count", d->spnHorzCOunt->value());
    writeNumber("Vertical_Thumb_Count", d->spnVertCOunt->value());
    write("Default_Font", d->rdbfontdefault->isChecked() ? QString() : d->FontName->currentText());
    writeNumber("Default_Font_Size", d->cmbFontsize->currentIndex() - 2);
    write("Index_Font", d->rdbindexfontdefault->isChecked() ? QString() : d->indexFontName->currentText());
    writeNumber("Index_Font_Size", d->cmbindexFontsize->currentIndex() - 2);
    writeNumber("Index_Image_Font_Size", d->SpnindexImageFontsize->value());
    const bool customButtons = d->Chkusecustombuttons->isChecked();
    writePathIf("Previous_Page_File", customButtons, d->edtpreviousfile);
    writePathIf("Next_Page_File", customButtons, d->edtnextfile);
    writePathIf("Return_To_Index_File", customButtons, d->edtindexfile);
    if (d->cmbImageDisplayMethod->currentIndex() >= 0)
        writeNumber("Image_Display_Method", d->cmbImageDisplayMethod->currentIndex());
    const bool imageButtons = d->chkImageButtons->isChecked();
    writePathIf("Selected_Page_Index_File", imageButtons, d->edtSelectedImageButton);
    writePathIf("Other_Page_Index_File", imageButtons, d->edtotherImageButton);
    write("Filename_Display", filenameDisplayKeyword(d));
    write("Description_File", d->edtdescripfile->text());
    writeBool("ShowFilenameWhenNoDesc", d->chkShowFIlenameWhenNoDesc->isChecked());
    write("Displayed_Page_Text_Colour", colourComboString(d->cmbIndexTextColour));
    write("Other_Page_Text_Colour", colourComboString(d->cmbNonCurrentIndexText));
    write("Link_Enclosure_Colour", colourComboString(d->cmbLinkEncColour));
    write("Heading_Colour", colourComboString(d->cmbHeadingColour));
    write("Page_Number_Prefix", d->edtpagenumberprefix->text());
    writeNumber("Link_Enclosure", d->cmbLinkEnclosure->currentIndex());
    write("Index_Layout", d->rgpIndexLayout->ItemIndex() == 0 ? "Vertical" : "Horizontal");
    writeBool("DisplayAsImage", d->rdbDisplayasimage->isChecked());
    write("Image_Style_File", truncatepath(d->cmbimagestyle->currentText()));

    // "Same as the thumbnail page" writes neither file nor HTML, so earlier values stay stored.
    const int header = d->cmbimageHeader->currentIndex();
    writeBool("Image_Header_Same_As_Index", header == 1);
    if (header != 1) {
        writePathIf("Image_Header_File", header == 3, d->edtimageheaderfile);
        write("Image_Header_HTML", header == 2 ? d->edtimageheaderhtml->text() : QString());
    }
    const int footer = d->cmbimageFooter->currentIndex();
    writeBool("Image_Footer_Same_As_Index", footer == 1);
    if (footer != 1) {
        writePathIf("Image_Footer_File", footer == 3, d->edtimagefooterfile);
        write("Image_Footer_HTML", footer == 2 ? d->edtimagefooterhtml->text() : QString());
    }

    const bool maxSize = d->chkmaximagesize->isChecked();
    write("Image_Width", maxSize ? QString::number(d->spnImageWidth->value()) : QStringLiteral("NA"));
    write("Image_Height", maxSize ? QString::number(d->SpnImageHeight->value()) : QStringLiteral("NA"));
    writeBool("Image_Heading", d->chkImageHeading->isChecked());
    writeBool("Image_UseSameNavGraphics", d->chkUseSameNavGraphics->isChecked());
    writeBool("Default_Font_Bold", d->chkBold->isChecked());
    writeBool("Default_Font_Italics", d->chkitalics->isChecked());
    writeBool("Index_Font_Bold", d->chkindexBold->isChecked());
    writeBool("Index_Font_Italics", d->chkindexitalics->isChecked());
}

// Site files name their directories and pages in any letter case, as on the case-insensitive file
// systems they were first written on; an exact match is preferred.
QString entryIgnoringCase(const QString& directory, const QString& name, QDir::Filters kind) {
    if (name.isEmpty()) return QString();
    const QFileInfo exact(directory + name);
    if (exact.exists() && (kind == QDir::Dirs ? exact.isDir() : exact.isFile())) return name;
    for (const QString& entry : QDir(directory).entryList(kind | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot))
        if (entry.compare(name, Qt::CaseInsensitive) == 0) return entry;
    return QString();
}

// The support files a build of rotation n copies, by the settings stored in its section (the
// navigation graphics are stored only while custom buttons are on).
QStringList storedSupportFileNames(const IniFile& ini, int n) {
    const QString section = sectionName(n);
    QStringList navigation, templates{expandpath(ini.readString(section, "Style_File", QString()))};
    for (const char* key : {"Next_Page_File", "Previous_Page_File", "Return_To_Index_File"})
        navigation << expandpath(ini.readString(section, key, QString()));
    if (!onUnlessFalse(ini.readString(section, "DisplayAsImage", "True")))
        templates << expandpath(ini.readString(section, "Image_Style_File", QString()));
    return supportFileNamesFor(navigation, templates);
}

// The rotation in the editor's controls counts by the settings it has there now.
QStringList supportFileNamesOf(const IniFile& ini, const QString& siteKey, int n) {
    if (dlgEditSite && siteKey == tsiterecord.key && n == CurrentRotationNumber)
        return dlgEditSite->currentSupportFileNames();
    return storedSupportFileNames(ini, n);
}

// The number of rotations the site editor lists for the site.
int listedRotationCount(const IniFile& ini) {
    const int count = wholeNumber(ini.readString("General", "RotationCount", "10")).value_or(10);
    return ApplicationOptions.UseRotations ? count : qMin(count, 1);
}

// The directory of rotation n as the site editor lists it: the one its section stores, else the
// default one. The default only for a section without one: finding its letter case looks into
// the site directory.
QString listedRotationDirectory(const IniFile& ini, int n, const QString& sitePath, ExistingCase& existingCase) {
    QString stored = ini.readString(sectionName(n), "Rotation_Path", QString());
    if (stored.isEmpty() && !ini.valueExists(sectionName(n), "Rotation_Path"))
        stored = ApplicationOptions.UseRotations ? defaultRotationDirectory(sitePath, "rotation_", n, existingCase)
                                                 : sitePath;
    return existingCase(fixpath(stored, true));
}

// Hands each rotation's list line to take, rotation 1 first (only rotation `only` when it is not
// 0); the lines made before a failure stay taken.
void forEachRotationLine(const QString& siteKey, const std::function<void(int row, const QString& line)>& take,
                         int only = 0) {
    try {
        const IniFile ini(siteFileName(siteKey));
        const bool rotations = ApplicationOptions.UseRotations;
        const int count = listedRotationCount(ini);
        const QString sitePath = expandpath(ini.readString("General", "Path", QString()));
        const QString baseName = ini.readString("General", "BaseHTMLName", "Index.html");

        ExistingCase existingCase;
        for (int n = only > 0 ? only : 1; n <= (only > 0 ? qMin(only, count) : count); ++n) {
            QString line = rotations ? "Rotation " + QString::number(n) : QStringLiteral("Current Site ");
            const QString directory = listedRotationDirectory(ini, n, sitePath, existingCase);
            if (!directory.isEmpty() && QFileInfo(directory).isDir()) {
                const QStringList support = supportFileNamesOf(ini, siteKey, n);
                line += " : " + QString::number(countRotationImages(directory, support)) + " Images";
                line += entryIgnoringCase(directory, baseName, QDir::Files).isEmpty() ? " : NOT BUILT" : " : Built";
            } else {
                line += " : ERROR! Not found!";
            }
            take(n - 1, line);
        }
    } catch (const std::exception&) {
        // What was listed so far stays.
    }
}

}  // namespace

bool SaveRotation(int rotationNumber, bool writeStatusAndPath) {
    return SaveRotations(rotationNumber, rotationNumber, writeStatusAndPath);
}

bool SaveRotations(int firstRotation, int lastRotation, bool writeStatusAndPath) {
    if (firstRotation < 0 || lastRotation < firstRotation) return true;
    platform::Hourglass hourglass;
    try {
        IniFile ini(siteFileName(tsiterecord.key));
        platform::IniUpdate update(ini);
        for (int n = firstRotation; n <= lastRotation; ++n) writeRotation(ini, n, writeStatusAndPath);
        update.commit();
        return true;
    } catch (const std::exception&) {
        platform::showWarning(
            "Error encountered saving the settings for the current rotation.  Ensure you have sufficient disk space "
            "and write access to this drive");
        return false;
    }
}

bool LoadRotation(const QString& siteKey, int rotationNumber, bool loadPath, bool makeCurrent) {
    bool result = true;
    {
        platform::Hourglass hourglass;
        try {
            readRotation(siteKey, rotationNumber, loadPath, makeCurrent);
        } catch (const std::exception&) {
            result = false;
        }
    }
    dlgEditSite->cmbHeaderChange();
    dlgEditSite->cmbstyleChange();
    return result;
}

QList<SiteRotationDirectory> listedRotationDirectories(const QString& siteKey, const QString& sitePath) {
    QList<SiteRotationDirectory> rotations;
    try {
        const IniFile ini(siteFileName(siteKey));
        const QString path = expandpath(sitePath);
        ExistingCase existingCase;
        for (int n = 1, count = listedRotationCount(ini); n <= count; ++n)
            rotations.append({n, QFile::encodeName(listedRotationDirectory(ini, n, path, existingCase))});
    } catch (const std::exception&) {
        // An unreadable site file lists no rotations.
    }
    return rotations;
}

void loadrotationlist(const QString& siteKey, QListWidget* list) {
    platform::Hourglass hourglass;
    list->clear();
    forEachRotationLine(siteKey, [list](int, const QString& line) { list->addItem(line); });
}

void refreshRotationList(const QString& siteKey, QListWidget* list, int rotationNumber) {
    platform::Hourglass hourglass;
    forEachRotationLine(
        siteKey, [list](int row, const QString& line) { if (row < list->count()) list->item(row)->setText(line); },
        rotationNumber);
}

QStringList rotationSupportFileNames(const QString& siteKey, int rotationNumber) {
    try {
        return supportFileNamesOf(IniFile(siteFileName(siteKey)), siteKey, rotationNumber);
    } catch (const std::exception&) {
        return {};
    }
}

void SetColourComboFromString(TColourCombo* combo, const QString& text) {
    const QString value = text.trimmed();
    if (value.compare("DEFAULT", Qt::CaseInsensitive) == 0) {
        dlgThumbOptions->SetDefaultSetColour(combo, true, 0);
        return;
    }
    if (const auto colour = colour_string::colourFromString(value))
        dlgThumbOptions->SetDefaultSetColour(combo, false, *colour);
    else
        dlgThumbOptions->SetDefaultSetColour(combo, true, 0);
}
