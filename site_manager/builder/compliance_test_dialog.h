#pragma once
// "HTML Compliance": checks a template for its four placeholders, lists the local files it refers
// to (they are copied into the built site) and warns about the ones that are missing.
#include "platform/modal_dialog.h"

class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;

// Which placeholders a template holds: content, index, header, footer.
struct TemplatePlaceholders {
    bool Content = false;
    bool Index = false;
    bool Header = false;
    bool Footer = false;
};

// The placeholders found by the last test of each template; they decide whether a build makes an
// index, a header or a footer for that template.
struct TTemplateFeatures {
    TemplatePlaceholders Thumbnail;
    TemplatePlaceholders Image;
};
extern TTemplateFeatures TemplateFeatures;

class TdlgStyle : public platform::ModalDialog {
    Q_OBJECT
public:
    explicit TdlgStyle(QWidget* parent = nullptr);

    QLineEdit* edthtmlfile;
    QLabel* lblcontent;
    QLabel* lblIndex;
    QLabel* lblHeader;
    QLabel* lblFooter;
    QLabel* lblcontentres;
    QLabel* lblIndexres;
    QLabel* lblHeaderres;
    QLabel* lblFooterres;
    QLabel* lblinform;
    QPlainTextEdit* rchhtml;
    QPlainTextEdit* memFiles;
    QPlainTextEdit* memWarnings;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    QPushButton* BitBtn3;

    // Tests the template; true when it holds "***CONTENT***".
    bool TestCompliancy(const QString& fileName, bool thumbnailTemplate);
    bool GenerateRequiredFilesList(const QString& html);
    // The files listed by the last test, one reference per entry.
    QStringList requiredFiles() const;

    void FormShow() override;
    void BitBtn1Click();
    void BitBtn3Click();

private:
    void addWarning(const QString& text);
    QString templateDirectory_;
};
