#include "site_manager/builder/compliance_test_dialog.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/help.h"
#include "site_manager/builder/support_files.h"
#include "site_manager/builder/template_references.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/site_paths.h"

#include <QFile>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

TTemplateFeatures TemplateFeatures;

namespace {

QPlainTextEdit* readOnlyMemo() {
    auto* memo = new QPlainTextEdit;
    memo->setReadOnly(true);
    memo->setLineWrapMode(QPlainTextEdit::NoWrap);
    return memo;
}

}  // namespace

TdlgStyle::TdlgStyle(QWidget* parent) : platform::ModalDialog(parent) {
    setWindowTitle("HTML Compliance");
    edthtmlfile = new QLineEdit;
    edthtmlfile->setReadOnly(true);
    lblcontent = new QLabel;
    lblIndex = new QLabel;
    lblHeader = new QLabel;
    lblFooter = new QLabel;
    lblcontentres = new QLabel;
    lblIndexres = new QLabel;
    lblHeaderres = new QLabel;
    lblFooterres = new QLabel;
    lblinform = new QLabel;
    rchhtml = new QPlainTextEdit;
    rchhtml->setLineWrapMode(QPlainTextEdit::NoWrap);
    rchhtml->hide();
    memFiles = readOnlyMemo();
    memWarnings = readOnlyMemo();
    BitBtn1 = new QPushButton("OK");
    BitBtn1->setDefault(true);
    BitBtn2 = new QPushButton("Cancel");
    BitBtn3 = new QPushButton("Help");

    auto* marks = new QGridLayout;
    const std::pair<QLabel*, QLabel*> rows[] = {
        {lblcontent, lblcontentres}, {lblIndex, lblIndexres}, {lblHeader, lblHeaderres}, {lblFooter, lblFooterres}};
    int row = 0;
    for (const auto& [label, result] : rows) {
        marks->addWidget(label, row, 0);
        marks->addWidget(result, row++, 1);
    }
    marks->addWidget(lblinform, 0, 2);

    QHBoxLayout* buttons = buttonRow({BitBtn1, BitBtn2, BitBtn3});

    auto* layout = new QVBoxLayout(this);
    layout->addWidget(edthtmlfile);
    layout->addLayout(marks);
    layout->addWidget(new QLabel("The HTML file uses the following files.  These will be copied to your site."));
    layout->addWidget(memFiles);
    layout->addWidget(memWarnings);
    layout->addWidget(rchhtml);
    layout->addLayout(buttons);

    connect(BitBtn1, &QPushButton::clicked, this, [this] { BitBtn1Click(); });
    connect(BitBtn2, &QPushButton::clicked, this, [this] { done(platform::mrCancel); });
    connect(BitBtn3, &QPushButton::clicked, this, [this] { BitBtn3Click(); });
    FormShow();
}

void TdlgStyle::FormShow() {
    lblcontent->setText("***CONTENT***");
    lblIndex->setText("***INDEX***");
    lblHeader->setText("***HEADER***");
    lblFooter->setText("***FOOTER***");
}

void TdlgStyle::addWarning(const QString& text) { memWarnings->appendPlainText(text); }

bool TdlgStyle::TestCompliancy(const QString& fileName, bool thumbnailTemplate) {
    lblinform->setText(thumbnailTemplate ? "(This text indicates where the Thumbnail grid should be inserted)"
                                         : "(This text indicates where the image should be inserted)");
    edthtmlfile->setText(fileName);
    memWarnings->clear();
    templateDirectory_ = fixpath(QFileInfo(fileName).absolutePath(), true);

    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        addWarning("* Error encountered loading the HTML file, " + fileName);
        return false;
    }
    const QString html = decodeUserText(file.readAll());
    rchhtml->setPlainText(html);

    TemplatePlaceholders found;
    found.Content = html.contains("***CONTENT***");
    found.Index = html.contains("***INDEX***");
    found.Footer = html.contains("***FOOTER***");
    found.Header = html.contains("***HEADER***");
    const auto mark = [](QLabel* label, bool present) { label->setText(present ? "- Found" : "- NOT FOUND!"); };
    mark(lblcontentres, found.Content);
    mark(lblIndexres, found.Index);
    mark(lblFooterres, found.Footer);
    mark(lblHeaderres, found.Header);
    if (!found.Content)
        addWarning(
            "* The text, ***CONTENT***, could not be located in your HTML file.  This text is required so that "
            "Lumenfold Pro knows where to insert the thumbnails or image.");

    GenerateRequiredFilesList(html);

    (thumbnailTemplate ? TemplateFeatures.Thumbnail : TemplateFeatures.Image) = found;
    return found.Content;
}

bool TdlgStyle::GenerateRequiredFilesList(const QString& html) {
    memFiles->clear();
    bool ok = true;
    const QStringList references = templateReferences(html, &ok);
    for (const QString& reference : references) memFiles->appendPlainText(reference);
    if (!ok) return false;
    for (const QString& reference : references) {
        if (findFileIgnoringCase(templateDirectory_, reference).isEmpty())
            addWarning("* The file, " + reference + ", could not be located in the directory, " + templateDirectory_);
    }
    return true;
}

QStringList TdlgStyle::requiredFiles() const {
    return memFiles->toPlainText().split('\n', Qt::SkipEmptyParts);
}

void TdlgStyle::BitBtn1Click() {
    if (!memWarnings->toPlainText().trimmed().isEmpty() &&
        !platform::confirmYesNo(
            "Some warning were raised while testing this HTML file for compliancy.  Are you sure you want to use it?"))
        return;
    done(platform::mrOk);
}

void TdlgStyle::BitBtn3Click() { platform::showHelpContext(56); }
