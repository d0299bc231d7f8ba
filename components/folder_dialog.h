#pragma once
// Lets the user pick a folder. Execute returns true when a folder was chosen; Directory then
// holds it (and, before Execute, the folder to start in).
#include <QObject>
#include <QString>

class QWidget;

class TFolderDialog : public QObject {
    Q_OBJECT
public:
    explicit TFolderDialog(QWidget* owner = nullptr);
    bool Execute();

    QString Title = QStringLiteral("Browse for Folder");
    QString Text;
    QString Directory;

private:
    QWidget* owner_;
};
