#pragma once
// The settings of each rotation live in [Rotation_<n>] of the site file. While a rotation is
// edited they live in the controls of the site editor and the layout settings dialog; these
// functions move them between the two. A key missing from a section leaves its control as it is.
#include "site_manager/rotation_folders.h"

#include <QString>
#include <QStringList>

class QListWidget;
class TColourCombo;

// Writes the controls into [Rotation_<n>] of the current site; Status and Rotation_Path only with
// writeStatusAndPath. A negative number does nothing. False after the store's warning box.
bool SaveRotation(int rotationNumber, bool writeStatusAndPath);
// The same for the rotations first to last, written to the site file as one update.
bool SaveRotations(int firstRotation, int lastRotation, bool writeStatusAndPath);

// Reads [Rotation_<n>] of the given site's file into the controls.
bool LoadRotation(const QString& siteKey, int rotationNumber, bool loadPath, bool makeCurrent);

// The rotations the site editor lists for the site, with their directories (native, with a
// trailing "/"): the one each section stores, else the default one beside the site path given.
QList<SiteRotationDirectory> listedRotationDirectories(const QString& siteKey, const QString& sitePath);

// One line per rotation of the site: "Rotation 2 : 14 Images : Built" and the like.
void loadrotationlist(const QString& siteKey, QListWidget* list);
// The lines the list already holds made again from the rotations as they are now (only the line of
// rotationNumber when it is above 0); the selection and the current row stay.
void refreshRotationList(const QString& siteKey, QListWidget* list, int rotationNumber = 0);
// The names of the support files a build of the rotation copies into its directory (never its
// images): by the editor's controls for the rotation they hold, else by its stored settings.
QStringList rotationSupportFileNames(const QString& siteKey, int rotationNumber);

// The stored colour text into a colour combo ("Default", a colour name, "$" hex or decimal).
void SetColourComboFromString(TColourCombo* combo, const QString& text);
