#pragma once
// The local files a template refers to, which a build copies beside its pages.
#include <QStringList>

// The first background="..." attribute, every src="..." and the href="..." of every <link>, each
// spelt as the template spells it; web addresses are left out. *ok is false when a reference is
// cut off or 255 characters or longer (the references found before it are returned).
QStringList templateReferences(const QString& html, bool* ok);
