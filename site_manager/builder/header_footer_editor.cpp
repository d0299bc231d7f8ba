#include "site_manager/builder/header_footer_editor.h"

#include "site_manager/builder/header_footer_editor_composer.h"
#include "site_manager/builder/header_footer_editor_list.h"
#include "site_manager/builder/header_footer_editor_text.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QRadioButton>

void editHeaderOrFooter(QWidget* owner, bool header, HeaderFooterChoice choice, QLineEdit* html, QLineEdit* file) {
    TdlgNewHeaderFooter composer(owner);
    TdlgHeaderFooter list(composer, owner);
    composer.chkisheader->setChecked(header);
    list.chkisheader->setChecked(header);
    if (choice == HeaderFooterChoice::SameOnAllPages) {
        composer.rdbRawHTML->setChecked(true);
        composer.edtRawHTML->setText(html->text());
        if (composer.ShowModal() != platform::mrOk) return;  // it closes with OK or Cancel
        keepAnyLength(html);  // the stored snippet may be longer than a line edit holds by default
        html->setText(composer.edtRawHTML->text());
        return;
    }
    list.edtheaderfile->setText(file->text());
    if (list.ShowModal() == platform::mrOk) file->setText(list.edtheaderfile->text());
}
