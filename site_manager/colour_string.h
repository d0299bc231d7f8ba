#pragma once
// Stored colours of the rotation settings. Colours are held as 32-bit
// 0x00BBGGRR values (red in the low byte); pages use "#RRGGBB" instead.
#include <QString>
#include <cstdint>
#include <optional>

namespace colour_string {

// The name of a colour in the 41-entry name table, or "$" and eight
// upper-case hexadecimal digits for a colour without a name.
QString colourToString(std::uint32_t colour);

// A name of the table (any case), "$" hexadecimal or a decimal number;
// nothing for any other text.
std::optional<std::uint32_t> colourFromString(const QString &text);

}  // namespace colour_string

// "Default" for a combo on its default entry, otherwise colourToString.
QString ColourString(bool onDefaultEntry, std::uint32_t colour);
