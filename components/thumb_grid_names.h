#pragma once
// File names as the thumbnail grid shows them.
#include <QFontMetrics>
#include <QString>

// The name without its last extension ("a.b.jpg" -> "a.b"; a leading dot is not an extension).
QString ThumbNameWithoutExtension(const QString& Name);
// The name when it fits into Width pixels; otherwise cut and ending in "..": characters before
// the ".." are taken away while it is too wide and at least 4 characters long.
QString ElideThumbName(const QString& Name, const QFontMetrics& Metrics, int Width);
