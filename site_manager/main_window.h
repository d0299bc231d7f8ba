#pragma once
// The main window: the list of sites, the status of the selected one, and the buttons that open
// every other part of the program. It also carries the site store's operations.
#include "site_manager/site_list_form.h"

#include <QStringList>
#include <optional>

class QLabel;
class QListWidget;
class QPainter;
class QPushButton;
class QRect;
class TOneInstance;

class TfrmMain : public TSiteListForm {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* parent = nullptr);
    ~TfrmMain() override;

    QPushButton* btnnewsite;
    QPushButton* btndeletesite;
    QPushButton* btnsiteoptions;
    QPushButton* btnedtsite;
    QPushButton* btnOptions;
    QPushButton* btnRotateNow;
    QPushButton* btnabout;
    QPushButton* BitBtn1;
    QPushButton* BitBtn2;
    TOneInstance* OneInstance1 = nullptr;

    // Handlers.
    void FormShow() override;
    void FormClose() override;
    void lbxsitesClick();
    void lbxsitesDblClick();
    void btnnewsiteClick();
    void btndeletesiteClick();
    void btnsiteoptionsClick();
    void btnedtsiteClick();
    void btnOptionsClick();
    void btnRotateNowClick();
    void btnaboutClick();
    void BitBtn1Click();
    void BitBtn2Click();
    void doselectionstatus();
    // Spindleway moves the stored rotation position on from its own process: re-reads it into the
    // current record (unless it was changed here since the site was loaded) and shows it.
    void rereadRotationPosition();

    // Site store.
    QString expandpath(const QString& path) const;
    QString truncatepath(const QString& path) const;
    QString fixpath(const QString& path, bool withSlash) const;
    QString generatenewsitename() const;
    bool addsite(const QString& key);
    // False when the site file or sites.ini could not be written; they keep what they held.
    bool savecurrentsite();
    bool loadsite(const QString& key);
    void deletecurrentsite();
    // The current site leaves the list and its site file goes; its folders stay where they are.
    bool forgetcurrentsite();
    bool createnewdirectory(const QString& path);
    bool dodeletefile(const QString& fileName, bool overwriting);
    QString changeextension(const QString& fileName, const QString& newExtension) const;

protected:
    // Coming back to the front (after "Rotate Now!" for one) re-reads the stored position.
    void changeEvent(QEvent* event) override;

private:
    // The rotation position the current site's file held when the site was loaded.
    std::optional<int> loadedRotationPosition_;
};

extern TfrmMain* frmMain;

// Lists of support files gathered by the build checks: full paths and the same names upper-cased.
extern QStringList SupportFiles;
extern QStringList SupportFileNames;
