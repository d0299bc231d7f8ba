#pragma once
// Files dropped on a rotation's image list: the site editor's and the add-images dialog's take
// them the same way.
#include <QString>
#include <QStringList>

class TdlgEditSite;

// Adds the dropped files, in the order received, to the rotation directory (given with its "/")
// through the editor's addimage; the first refusal ends the drop. True only when every file was
// copied as it is: only then may the source be told the files were moved, since a source that
// deletes its files after a move would lose a photo the rotation did not take, or took only in a
// converted form.
bool addDroppedImages(TdlgEditSite& editor, const QString& directory, const QStringList& files);

// The box text when a photo could not be copied into the rotation.
QString copyErrorText(const QString& fileName);
