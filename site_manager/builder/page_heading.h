#pragma once
// The heading and the maker line that thumbnail pages and image display pages carry.
#include "site_manager/builder/build_settings.h"

#include <QString>

// "<center><Hn>" + colour + face + text + ... + "</Hn></center>", n from Cmbheadingsize.
QString CreateHeading(const BuildSettings& settings, const QString& text);

// The maker line: one of four advert rows drawn at random (the fourth twice as often).
QString GetTavrelLink();
// The maker line for the draw r (0..4): 1 the first row, 3 the second, 4 the third, else the fourth.
QString GetTavrelLink(int r);
