// What the benchmarks that run Build! share: the forms the build dialog reads, set up for the
// rotation in <site directory>/rotation/ from the sample templates, and the answer to its boxes.
#pragma once

#include "platform/dialogs.h"
#include "site_manager/builder/build_inputs.h"
#include "site_manager/builder/compliance_test_dialog.h"
#include "site_manager/builder/thumb_options_dialog.h"
#include "site_manager/main_window.h"
#include "site_manager/site_editor.h"
#include "site_manager/site_record.h"

#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QRadioButton>

#include <cstdio>

// Nobody answers boxes here: refuse the preview, report anything else and set `unexpected`.
inline void refusePreviewReportOtherBoxes(bool& unexpected) {
    platform::setMessageResponder([&unexpected](const platform::MessageRequest& request) {
        if (!request.text.startsWith("Your build has been completed")) {
            std::fprintf(stderr, "box: %s\n", qPrintable(request.text));
            unexpected = true;
        }
        return platform::MessageResult::No;
    });
}

// Thumbnail pages from Sample_With_Index.htm, HTML image pages from Sample_Image_Page.htm and
// gallery.css as the support file; the forms stay the build's until the caller resets the globals.
inline void setUpBuildForms(TdlgThumbOptions& options, TdlgEditSite& editor, const QString& site,
                            const QString& templates) {
    QFile::copy(templates + "gallery.css", site + "gallery.css");
    dlgThumbOptions = &options;
    dlgEditSite = &editor;
    tsiterecord.BaseHTMLName = "Index.html";
    editor.cmbstyle->setCurrentText(templates + "Sample_With_Index.htm");
    editor.edtrotationdirectory->setText(site + "rotation/");
    options.SetDefaultValues();
    options.rdbHTMLImageWindow->setChecked(true);
    options.cmbimagestyle->setCurrentText(templates + "Sample_Image_Page.htm");
    TemplateFeatures.Thumbnail = {true, true, true, true};
    TemplateFeatures.Image = {true, true, true, true};
    SupportFiles = {templates + "gallery.css"};
    SupportFileNames = {"GALLERY.CSS"};
}
