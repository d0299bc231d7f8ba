#include "colour_string.h"

#include <array>

namespace colour_string {
namespace {

struct NamedColour {
    const char *name;
    std::uint32_t value;
};

constexpr std::uint32_t kSystemBase = 0x80000000u;

constexpr std::array<NamedColour, 41> kNames{{
    {"clBlack", 0x000000}, {"clMaroon", 0x000080}, {"clGreen", 0x008000},
    {"clOlive", 0x008080}, {"clNavy", 0x800000}, {"clPurple", 0x800080},
    {"clTeal", 0x808000}, {"clGray", 0x808080}, {"clSilver", 0xC0C0C0},
    {"clRed", 0x0000FF}, {"clLime", 0x00FF00}, {"clYellow", 0x00FFFF},
    {"clBlue", 0xFF0000}, {"clFuchsia", 0xFF00FF}, {"clAqua", 0xFFFF00},
    {"clWhite", 0xFFFFFF},
    {"clScrollBar", kSystemBase + 0}, {"clBackground", kSystemBase + 1},
    {"clActiveCaption", kSystemBase + 2}, {"clInactiveCaption", kSystemBase + 3},
    {"clMenu", kSystemBase + 4}, {"clWindow", kSystemBase + 5},
    {"clWindowFrame", kSystemBase + 6}, {"clMenuText", kSystemBase + 7},
    {"clWindowText", kSystemBase + 8}, {"clCaptionText", kSystemBase + 9},
    {"clActiveBorder", kSystemBase + 10}, {"clInactiveBorder", kSystemBase + 11},
    {"clAppWorkSpace", kSystemBase + 12}, {"clHighlight", kSystemBase + 13},
    {"clHighlightText", kSystemBase + 14}, {"clBtnFace", kSystemBase + 15},
    {"clBtnShadow", kSystemBase + 16}, {"clGrayText", kSystemBase + 17},
    {"clBtnText", kSystemBase + 18}, {"clInactiveCaptionText", kSystemBase + 19},
    {"clBtnHighlight", kSystemBase + 20}, {"cl3DDkShadow", kSystemBase + 21},
    {"cl3DLight", kSystemBase + 22}, {"clInfoText", kSystemBase + 23},
    {"clInfoBk", kSystemBase + 24},
}};

}  // namespace

QString colourToString(std::uint32_t colour)
{
    for (const NamedColour &entry : kNames)
        if (entry.value == colour)
            return QString::fromLatin1(entry.name);
    return QStringLiteral("$%1").arg(colour, 8, 16, QLatin1Char('0')).toUpper();
}

std::optional<std::uint32_t> colourFromString(const QString &text)
{
    const QString trimmed = text.trimmed();
    for (const NamedColour &entry : kNames)
        if (trimmed.compare(QLatin1String(entry.name), Qt::CaseInsensitive) == 0)
            return entry.value;
    bool ok = false;
    qlonglong number = 0;
    if (trimmed.startsWith(QLatin1Char('$')))
        number = trimmed.mid(1).toLongLong(&ok, 16);
    else
        number = trimmed.toLongLong(&ok, 10);
    // A 32-bit value, read as signed or unsigned.
    if (!ok || number < -2147483648LL || number > 0xFFFFFFFFLL)
        return std::nullopt;
    return static_cast<std::uint32_t>(number);
}

}  // namespace colour_string

QString ColourString(bool onDefaultEntry, std::uint32_t colour)
{
    if (onDefaultEntry)
        return QStringLiteral("Default");
    return colour_string::colourToString(colour);
}
