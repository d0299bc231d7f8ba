#pragma once
// A list of the plain file names of one directory that match a mask ("*.gif;*.jpe;*.jpg").
// Pointing it at a directory makes that the process's current directory, so names taken from
// the list work relative to it; every re-read raises changed().
#include <QListWidget>
#include <QString>
#include <QStringList>
#include <functional>

// True when the file name matches one of the ";"-separated "*.ext" patterns (any case). A
// three-letter pattern also takes longer extensions that begin with it (*.jpe takes photo.jpeg),
// as the short names of such files match on the system these lists were first made for.
bool matchesFileMask(const QString& fileName, const QString& mask);

class TFileListBox : public QListWidget {
    Q_OBJECT
public:
    explicit TFileListBox(QWidget* parent = nullptr);

    QString Mask = "*.*";
    // When set, a name that matches the mask is listed only when this accepts it too.
    std::function<bool(const QString&)> Accept;
    QString Directory() const { return directory_; }
    // Lists the directory; throws std::runtime_error when it cannot be entered.
    void ApplyFilePath(const QString& directory);
    // Reads the current directory again.
    void Update();
    QStringList fileNames() const;
    QStringList selectedFileNames() const;  // in list order

signals:
    void changed();

private:
    QString directory_;
};
