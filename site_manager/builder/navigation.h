#pragma once
// The page index (one cell per thumbnail page, the current one marked, as text or as the page
// buttons) and the three-cell previous / index / next navigation table.
#include "site_manager/builder/build_settings.h"

#include <QString>

// One index cell for page n. buttonExtension is the extension of the current-page buttons written
// by this build (".jpg" or ".gif"), otherButtonExtension that of the other-page buttons (the same
// when empty): the two style graphics may be saved in different formats.
QString IndexCellHtml(const BuildSettings& settings, int n, bool isCurrent, bool useButtons,
                      const QString& buttonExtension, const QString& otherButtonExtension = QString());
// The index table of N pages with page p marked, in the layout of rgpIndexLayout.
QString CreateIndex(const BuildSettings& settings, int p, int N, bool useButtons, const QString& buttonExtension,
                    const QString& otherButtonExtension = QString());

// The navigation table; empty unless chkimagenavigationbar is checked or always is set. An empty
// target gives a "&nbsp;" cell. Custom graphics are referred to by their file name only.
QString getnavigationstring(const BuildSettings& settings, const QString& previousTarget,
                            const QString& previousCaption, bool always, const QString& nextCaption,
                            const QString& nextTarget, const QString& indexCaption, const QString& indexTarget);
