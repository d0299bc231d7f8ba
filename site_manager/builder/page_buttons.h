#pragma once
// Page-index buttons: the page label drawn onto a style graphic chosen by the user.
#include <QString>
#include <cstdint>

namespace platform {
class ReplacementBatch;
}

struct ButtonFont {
    QString Family;
    int PointSize = 10;
    bool Bold = false;
    bool Italic = false;
};

// The extension of the last button written (".jpg" or ".gif"); every index refers to it.
extern QString ButtonExtension;

// Draws label centred on the style graphic in textColour (0x00BBGGRR) and saves it as
// target + ".jpg" (24-bit styles, quality 99) or target + ".gif" (paletted styles), whole
// through a temporary file and a rename (an earlier button stays until the new one exists), left
// in step when given (see writeBuildFile). False on any failure; *notWritten is set when the
// button was made but could not be written.
bool createbutton(const QString& styleGraphic, const QString& target, uint32_t textColour, const QString& label,
                  const ButtonFont& font, bool* notWritten = nullptr, platform::ReplacementBatch* step = nullptr);
