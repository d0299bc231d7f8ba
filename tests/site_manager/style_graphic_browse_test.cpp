// The layout settings dialog's Browse buttons: the style graphics are chosen through the image
// open dialog with the library's formats; the navigation graphics keep their GIF and JPEG filter.
#include "imaging/open_dialog.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_paths.h"
#include "tests/common/message_responder.h"
#include "tests/common/temp_data_dir.h"

#include <QCheckBox>
#include <QFileDialog>
#include <QLineEdit>
#include <QPushButton>
#include <gtest/gtest.h>

using testing_support::MessageScript;

TEST(StyleGraphicBrowse, StyleButtonsPreviewTheLibraryFormatsNavigationKeepsGifAndJpeg) {
    testing_support::TempDataDir data;
    initDataDirectory();
    TdlgThumbOptions dialog;
    dlgThumbOptions = &dialog;
    dialog.Chkusecustombuttons->setChecked(true);
    dialog.chkImageButtons->setChecked(true);
    const QString wmf = data.write("art/button.wmf", "not really a metafile");
    struct Seen {
        bool Previewing = false;
        QStringList Filters;
    };
    const auto choose = [&](Seen& seen) {
        return [&seen, wmf](QDialog& d) {
            auto& files = dynamic_cast<QFileDialog&>(d);
            seen.Previewing = dynamic_cast<TPGOpenDialog*>(&d) != nullptr;
            seen.Filters = files.nameFilters();
            files.selectFile(wmf);
            return int(QDialog::Accepted);
        };
    };
    MessageScript script;
    Seen selected, other, previous;
    script.onDialog(choose(selected)).onDialog(choose(other)).onDialog(choose(previous));
    dialog.btnbrowseselected->click();
    dialog.btnbrowseother->click();
    dialog.btnbrowseprevious->click();
    for (const Seen* seen : {&selected, &other}) {
        EXPECT_TRUE(seen->Previewing);
        ASSERT_FALSE(seen->Filters.isEmpty());
        EXPECT_TRUE(seen->Filters.first().startsWith("Image files (")) << seen->Filters.first().toStdString();
        EXPECT_TRUE(seen->Filters.contains("WMF - Windows Metafile (*.wmf)"));
        EXPECT_EQ(seen->Filters.last(), "All files (*.*)");
    }
    EXPECT_EQ(dialog.edtSelectedImageButton->text(), wmf);
    EXPECT_EQ(dialog.edtotherImageButton->text(), wmf);
    EXPECT_FALSE(previous.Previewing);
    EXPECT_EQ(previous.Filters,
              QStringList({"Image files (*.gif *.jpeg *.jpg)", "GIF Files (*.gif)", "JPEG Files (*.jpeg *.jpg)"}));
    dlgThumbOptions = nullptr;
}
