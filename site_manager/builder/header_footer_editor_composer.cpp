#include "site_manager/builder/header_footer_editor_composer.h"

#include "platform/dialogs.h"
#include "platform/help.h"
#include "site_manager/builder/header_footer_editor_text.h"
#include "site_manager/builder/html_editor.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {
constexpr int FieldWidth = 320;
}

TdlgNewHeaderFooter::TdlgNewHeaderFooter(QWidget* parent) : platform::ModalDialog(parent) {
    chkisheader = new QCheckBox(this);
    chkisheader->hide();
    lblmessage = new QLabel;
    lblmessage->setWordWrap(true);
    rdbRawHTML = new QRadioButton("Pure HTML:");
    rdbRawHTML->setChecked(true);
    edtRawHTML = new QLineEdit;
    limitTyping(edtRawHTML, typingLimit);
    rdbimagelink = new QRadioButton("Image/Banner Link:");
    edtimageurl = new QLineEdit;
    edtimagelink = new QLineEdit("http://");
    edtalttext = new QLineEdit;
    spnborderwidth = new QSpinBox;
    spnborderwidth->setRange(0, 9);
    rdbtextlink = new QRadioButton("Text Link:");
    edttext = new QLineEdit;
    edttextlink = new QLineEdit("http://");
    btnEditHTML = new QPushButton("Edit..");
    BitBtn1 = new QPushButton("OK");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel");
    BitBtn3 = new QPushButton("Help");

    auto* grid = new QGridLayout;
    int row = 0;
    grid->addWidget(rdbRawHTML, row++, 0, 1, 3);
    grid->addWidget(edtRawHTML, row, 0, 1, 2);
    grid->addWidget(btnEditHTML, row++, 2);
    grid->addWidget(rdbimagelink, row++, 0, 1, 3);
    const auto field = [&](const QString& label, QWidget* edit) {
        grid->addWidget(new QLabel(label), row, 0);
        grid->addWidget(edit, row++, 1, 1, 2);
    };
    field("Image Location (URL):", edtimageurl);
    field("Link (URL):", edtimagelink);
    field("Alternative Text:", edtalttext);
    field("Image Border Width:", spnborderwidth);
    grid->addWidget(rdbtextlink, row++, 0, 1, 3);
    field("Text:", edttext);
    field("Link (URL):", edttextlink);
    // Wide enough to show a URL or a line of HTML whole; the message then wraps the same way each
    // time, so the dialog opens at one size.
    for (QLineEdit* edit : {edtRawHTML, edtimageurl, edtimagelink, edtalttext, edttext, edttextlink})
        edit->setMinimumWidth(FieldWidth);
    grid->setColumnStretch(1, 1);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(lblmessage);
    layout->addLayout(grid);
    layout->addLayout(buttonRow({BitBtn1, BitBtn2, BitBtn3}));

    for (QRadioButton* kind : {rdbRawHTML, rdbimagelink, rdbtextlink})
        connect(kind, &QRadioButton::toggled, this, [this] { rdbtextlinkClick(); });
    connect(btnEditHTML, &QPushButton::clicked, this, [this] { Button3Click(); });
    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    rdbtextlinkClick();
}

void TdlgNewHeaderFooter::FormShow() {
    if (chkisheader->isChecked()) {
        setWindowTitle("Edit Header");
        lblmessage->setText(
            "The Header is a small piece of HTML that is placed at the top of each created page.  It may be text, "
            "a banner or a link to another site.  The Header will replace the text, ***HEADER***, in your HTML page.");
    } else {
        setWindowTitle("Edit Footer");
        lblmessage->setText(
            "The Footer is a small piece of HTML that is placed at the bottom of each created page.  It may be "
            "text, a banner or a link to another site.  The Footer will replace the text, ***FOOTER***, in your "
            "HTML page.");
    }
}

void TdlgNewHeaderFooter::rdbtextlinkClick() {
    const bool raw = rdbRawHTML->isChecked();
    const bool image = rdbimagelink->isChecked();
    const bool text = rdbtextlink->isChecked();
    for (QWidget* w : std::initializer_list<QWidget*>{edtRawHTML, btnEditHTML}) w->setEnabled(raw);
    for (QWidget* w : std::initializer_list<QWidget*>{edtimageurl, edtimagelink, edtalttext, spnborderwidth})
        w->setEnabled(image);
    for (QWidget* w : std::initializer_list<QWidget*>{edttext, edttextlink}) w->setEnabled(text);
}

void TdlgNewHeaderFooter::BitBtn1Click() {
    if (rdbRawHTML->isChecked() && edtRawHTML->text().isEmpty()) {
        platform::showInformation("You have not entered the HTML you would like to be inserted!");
        return;
    }
    if (rdbimagelink->isChecked() && edtimageurl->text().isEmpty()) {
        platform::showInformation("You have not entered the location of the image you would like to be inserted!");
        return;
    }
    if (rdbtextlink->isChecked() && edttext->text().isEmpty()) {
        platform::showInformation("You have not entered the text that you would like to be inserted!");
        return;
    }
    if (rdbtextlink->isChecked()) {
        const bool linked = !edttextlink->text().isEmpty();
        QString snippet;
        if (linked) snippet += "<A HREF=\"" + edttextlink->text().trimmed() + "\">";
        snippet += edttext->text();
        if (linked) snippet += "</A>";
        edtRawHTML->setText(snippet);
    } else if (rdbimagelink->isChecked()) {
        const bool linked = !edtimagelink->text().isEmpty();
        QString snippet;
        if (linked) snippet += "<A HREF=\"" + edtimagelink->text().trimmed() + "\">";
        snippet += "<img SRC=\"" + edtimageurl->text().trimmed() + "\"";
        if (!edtalttext->text().isEmpty()) snippet += " ALT=\"" + edtalttext->text().trimmed() + "\"";
        snippet += " BORDER=" + QString::number(spnborderwidth->value()) + ">";
        if (linked) snippet += "</A>";
        edtRawHTML->setText(snippet);
    }
    // A snippet is one line of a list file or of a site file: line breaks become "|".
    edtRawHTML->setText(withBarsForLineBreaks(edtRawHTML->text()));
    done(platform::mrOk);
}

void TdlgNewHeaderFooter::Button3Click() {
    TfrmRichEdit editor(this);
    QString snippet = edtRawHTML->text();
    if (!snippet.isEmpty() && !snippet.endsWith('|')) {
        snippet += '|';
        edtRawHTML->setText(snippet);  // the field keeps the bar
    }
    QStringList lines = snippet.split('|');
    lines.removeLast();  // each piece is ended by a bar; nothing follows the last one
    editor.setLines(lines);
    if (editor.ShowModal() != platform::mrOk) return;
    const QStringList edited = editor.lines();
    if (edited.isEmpty()) {
        platform::showInformation("Error creating your HTML!");
        return;
    }
    edtRawHTML->setText(edited.join('|'));
}

void TdlgNewHeaderFooter::BitBtn3Click() { platform::showHelpContext(29); }
