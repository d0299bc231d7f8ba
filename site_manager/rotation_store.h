#pragma once
// The settings of each rotation live in [Rotation_<n>] of the site file. While a rotation is
// edited they live in the controls of the site editor and the layout settings dialog; these
// functions move them between the two. A key missing from a section leaves its control as it is.
#include <QString>

class QListWidget;
class TColourCombo;

// Writes the controls into [Rotation_<n>] of the current site; Status and Rotation_Path only with
// writeStatusAndPath. A negative number does nothing. False after the store's warning box.
bool SaveRotation(int rotationNumber, bool writeStatusAndPath);
// The same for the rotations first to last, written to the site file as one update.
bool SaveRotations(int firstRotation, int lastRotation, bool writeStatusAndPath);

// Reads [Rotation_<n>] of the given site's file into the controls.
bool LoadRotation(const QString& siteKey, int rotationNumber, bool loadPath, bool makeCurrent);

// One line per rotation of the site: "Rotation 2 : 14 Images : Built" and the like.
void loadrotationlist(const QString& siteKey, QListWidget* list);

// The stored colour text into a colour combo ("Default", a colour name, "$" hex or decimal).
void SetColourComboFromString(TColourCombo* combo, const QString& text);
