// The message table of the imaging library and its formatting functions.
#include "imaging/pg_messages.h"

#include "imaging/pg_exceptions.h"

#include <cmath>

uint8_t MessageLanguage = 0;

// clang-format off
const TPGLangStrEntry PGLangStrEntries[PGLangStrEntryCount] = {
    {0, {"", "", "", "", "", ""}},
    {1, {"X, Y index out of range", "X-, Y-Index außerhalb des gültigen Bereichs", "Index X, Y hors limites", "X, Y index buiten bereik", "Índice X, Y fuera de rango", ""}},
    {2, {"No palette", "Keine Palette", "Pas de palette", "Geen palet", "Sin paleta", ""}},
    {3, {"Invalid palette index", "Ungültiger Palettenindex", "Index de palette incorrect", "Ongeldige paletindex", "Índice de paleta no válido", ""}},
    {4, {"Unknown clipboard format", "Unbekanntes Zwischenablageformat", "Format de presse-papiers inconnu", "Onbekend klembordformaat", "Formato de portapapeles desconocido", ""}},
    {5, {"Invalid temporary file", "Ungültige temporäre Datei", "Fichier temporaire incorrect", "Ongeldig tijdelijk bestand", "Fichero temporal no válido", ""}},
    {6, {"Unknown file format", "Unbekanntes Dateiformat", "Format de fichier inconnu", "Onbekend bestand formaat", "Formato de fichero desconocido", ""}},
    {7, {"%S1 invalid", "%S1 ungültig", "%S1 incorrect", "%S1 ongeldig", "%S1 no válido", ""}},
    {8, {"black and white", "schwarzweiß", "noir et blanc", "zwart-wit", "blanco y negro", ""}},
    {9, {"2 colors", "2 Farben", "2 couleurs", "2 kleuren", "2 colores", ""}},
    {10, {"16 shades of gray", "16 Graustufen", "16 niveaux de gris", "16 grijstinten", "16 tonos de gris", ""}},
    {11, {"16 system colors", "16 Systemfarben", "16 couleurs système", "16 systeemkleuren", "16 colores del sistema", ""}},
    {12, {"16 colors", "16 Farben", "16 couleurs", "16 kleuren", "16 colores", ""}},
    {13, {"256 shades of gray", "256 Graustufen", "256 niveaux de gris", "256 grijstinten", "256 tonos de gris", ""}},
    {14, {"256 colors", "256 Farben", "256 couleurs", "256 kleuren", "256 colores", ""}},
    {15, {"16.7 million colors", "16,7 Millionen Farben", "16,7 millions de couleurs", "16,7 miljoen kleuren", "16,7 millones de colores", ""}},
    {16, {"%S1 is empty", "%S1 ist leer", "%S1 est vide", "%S1 is leeg", "%S1 está vacío", ""}},
    {17, {"The graphic cannot be saved to a %S1 file with the current color resolution (%S2).\r\rThe graphic will be saved with a different color resolution (%S3).",
          "Die Grafik kann nicht mit der aktuellen Farbauflösung (%S2) in einer %S1-Datei gespeichert werden.\r\rDie Grafik wird mit einer anderen Farbauflösung (%S3) gespeichert.",
          "Le graphique ne peut pas être enregistré dans un fichier %S1 avec la résolution de couleurs actuelle (%S2).\r\rLe graphique sera enregistré avec une autre résolution de couleurs (%S3).",
          "De afbeelding kan niet met de huidige kleurresolutie (%S2) in een %S1 bestand worden opgeslagen.\r\rDe afbeelding wordt met een andere kleurresolutie (%S3) opgeslagen.",
          "El gráfico no se puede guardar en un fichero %S1 con la resolución de color actual (%S2).\r\rEl gráfico se guardará con otra resolución de color (%S3).", ""}},
    {18, {"The graphic cannot be saved with to a %S1 file with the current color resolution (%S2)",
          "Die Grafik kann nicht mit der aktuellen Farbauflösung (%S2) in einer %S1-Datei gespeichert werden",
          "Le graphique ne peut pas être enregistré dans un fichier %S1 avec la résolution de couleurs actuelle (%S2)",
          "De afbeelding kan niet met de huidige kleurresolutie (%S2) in een %S1 bestand worden opgeslagen",
          "El gráfico no se puede guardar en un fichero %S1 con la resolución de color actual (%S2)", ""}},
    {19, {"Unknown file extension \"%S1\"", "Unbekannte Dateierweiterung \"%S1\"", "Extension de fichier inconnue \"%S1\"", "Onbekende bestandsextensie \"%S1\"", "Extensión de fichero desconocida \"%S1\"", ""}},
    {20, {"Invalid value for %S1", "Ungültiger Wert für %S1", "Valeur incorrecte pour %S1", "Ongeldige waarde voor %S1", "Valor no válido para %S1", ""}},
    {21, {"Negative height", "Negative Höhe", "Hauteur négative", "Negatieve hoogte", "Altura negativa", ""}},
    {22, {"Negative width", "Negative Breite", "Largeur négative", "Negatieve breedte", "Anchura negativa", ""}},
    {23, {"Cannot apply this filter to a source that is identical to the target", "Dieser Filter kann nicht auf eine Quelle angewendet werden, die mit dem Ziel identisch ist", "Impossible d'appliquer ce filtre à une source identique à la cible", "Dit filter kan niet worden toegepast op een bron die gelijk is aan het doel", "No se puede aplicar este filtro a un origen idéntico al destino", ""}},
    {24, {"bit", "Bit", "bit", "bit", "bit", ""}},
    {25, {"Image files", "Grafikdateien", "Images", "Grafische bestanden", "Ficheros gráficos", "Image files"}},
    {26, {"All files", "Alle Dateien", "Tous les fichiers", "Alle bestanden", "Todos los ficheros", ""}},
    {27, {"Invalid size of %S1", "Ungültige Größe von %S1", "Taille de %S1 incorrecte", "Ongeldige grootte van %S1", "Tamaño de %S1 no válido", ""}},
    {28, {"Warning", "Warnung", "Avertissement", "Waarschuwing", "Atención", ""}},
    {29, {"Operation aborted on user request", "Vorgang auf Anwender-Wunsch abgebrochen", "Opération abandonnée par l'utilisateur.", "Voortgang door de gebruiker onderbroken", "Operación interrumpida por el usuario", ""}},
    {30, {"Not supported subformat", "Nicht unterstütztes Unterformat", "Sous-format non supporté", "Niet ondersteund subformaat", "Subformato no soportado", ""}},
    {31, {"%S1 failed", "%S1 fehlgeschlagen", "%S1 a échoué", "%S1 mislukt", "%S1 ha fallado", ""}},
    {32, {"Unexpected end of file", "Unerwartetes Dateiende", "Fin de fichier inattendue", "Onverwacht einde van bestand", "Fin de fichero inesperado", ""}},
    {33, {"Unknown subformat", "Unbekanntes Unterformat", "Sous-format inconnu", "Onbekend subformaat", "Subformato desconocido", ""}},
    {34, {"Not a %S1 file", "Keine %S1-Datei", "Pas un fichier %S1", "Geen %S1 bestand", "No es un fichero %S1", ""}},
    {35, {"Width = 0 or Height = 0", "Breite = 0 oder Höhe = 0", "Largeur = 0 ou hauteur = 0", "Breedte = 0 of hoogte = 0", "Anchura = 0 o altura = 0", ""}},
    {36, {"Invalid color resolution", "Ungültige Farbauflösung", "Résolution de couleurs incorrecte", "Ongeldige kleurresolutie", "Resolución de color no válida", ""}},
    {37, {"Unsupported field type %S1", "Nicht unterstützter Feldtyp %S1", "Type de champ %S1 non supporté", "Niet ondersteund veldtype %S1", "Tipo de campo %S1 no soportado", ""}},
    {38, {"Invalid count of bytes in row %S1", "Ungültige Anzahl Bytes in Zeile %S1", "Nombre d'octets incorrect dans la ligne %S1", "Ongeldig aantal bytes in rij %S1", "Número de bytes no válido en la fila %S1", ""}},
    {39, {"Unsupported Compression", "Nicht unterstützte Kompression", "Compression non supportée", "Niet ondersteunde compressie", "Compresión no soportada", ""}},
    {40, {"Saturation=0 and Hue defined", "Sättigung=0 und Farbton definiert", "Saturation=0 et teinte définie", "Verzadiging=0 en tint gedefinieerd", "Saturación=0 y tono definido", ""}},
    {41, {"%S1 out of range", "%S1 außerhalb des gültigen Bereichs", "%S1 hors limites", "%S1 buiten bereik", "%S1 fuera de rango", ""}},
    {42, {"OK", "OK", "OK", "OK", "Aceptar", ""}},
    {43, {"Cancel", "Abbrechen", "Annuler", "Annuleren", "Cancelar", ""}},
    {44, {"RGB Filter", "RGB-Filter", "Filtre RVB", "RGB filter", "Filtro RGB", ""}},
    {45, {"R", "R", "R", "R", "R", ""}},
    {46, {"G", "G", "V", "G", "G", ""}},
    {47, {"B", "B", "B", "B", "B", ""}},
    {48, {"CMY Filter", "CMY-Filter", "Filtre CMJ", "CMY filter", "Filtro CMY", ""}},
    {49, {"C", "C", "C", "C", "C", ""}},
    {50, {"M", "M", "M", "M", "M", ""}},
    {51, {"Y", "Y", "J", "Y", "Y", ""}},
    {52, {"YCbCr Filter", "YCbCr-Filter", "Filtre YCbCr", "YCbCr filter", "Filtro YCbCr", ""}},
    {53, {"Y", "Y", "Y", "Y", "Y", ""}},
    {54, {"Cb", "Cb", "Cb", "Cb", "Cb", ""}},
    {55, {"Cr", "Cr", "Cr", "Cr", "Cr", ""}},
    {56, {"HLS Filter", "HLS-Filter", "Filtre TLS", "HLS filter", "Filtro HLS", ""}},
    {57, {"H", "H", "T", "H", "H", ""}},
    {58, {"L", "L", "L", "L", "L", ""}},
    {59, {"S", "S", "S", "S", "S", ""}},
    {60, {"HSV Filter", "HSV-Filter", "Filtre TSV", "HSV filter", "Filtro HSV", ""}},
    {61, {"V", "V", "V", "V", "V", ""}},
    {62, {"Negative Filter", "Negativ-Filter", "Filtre négatif", "Negatief filter", "Filtro negativo", ""}},
    {63, {"Gamma", "Gamma", "Gamma", "Gamma", "Gamma", ""}},
    {64, {"RGB", "RGB", "RVB", "RGB", "RGB", ""}},
    {65, {"Y", "Y", "Y", "Y", "Y", ""}},
    {66, {"Brightness", "Helligkeit", "Luminosité", "Helderheid", "Brillo", ""}},
    {67, {"Contrast", "Kontrast", "Contraste", "Contrast", "Contraste", ""}},
    {68, {"Apply on", "Anwenden auf", "Appliquer à", "Toepassen op", "Aplicar a", ""}},
    {69, {"Brightness, Contrast, Gamma Filter", "Helligkeit-, Kontrast-, Gamma-Filter", "Filtre luminosité, contraste, gamma", "Helderheid, contrast, gamma filter", "Filtro de brillo, contraste y gamma", ""}},
    {70, {"Grayscale Filter", "Graustufen-Filter", "Filtre niveaux de gris", "Grijstinten filter", "Filtro de escala de grises", ""}},
    {71, {"RGB weighting", "RGB-Gewichtung", "Pondération RVB", "RGB weging", "Ponderación RGB", ""}},
    {72, {"Std. deviation", "Std.-Abweichung", "Écart type", "Std. afwijking", "Desv. estándar", ""}},
    {73, {"Strength", "Stärke", "Intensité", "Sterkte", "Intensidad", ""}},
    {74, {"Sharpen", "Schärfen", "Netteté", "Verscherpen", "Enfocar", ""}},
    {75, {"Detail", "Detail", "Détail", "Detail", "Detalle", ""}},
    {76, {"Smooth", "Glätten", "Lisser", "Gladmaken", "Suavizar", ""}},
    {77, {"Radius", "Radius", "Rayon", "Straal", "Radio", ""}},
    {78, {"Blur", "Weichzeichnen", "Flou", "Vervagen", "Desenfocar", ""}},
    {79, {"Contour", "Kontur", "Contour", "Contour", "Contorno", ""}},
    {80, {"White", "Weiß", "Blanc", "Wit", "Blanco", ""}},
    {81, {"Black", "Schwarz", "Noir", "Zwart", "Negro", ""}},
    {82, {"±", "±", "±", "±", "±", ""}},
    {83, {"°", "°", "°", "°", "°", ""}},
    {84, {"", "", "", "", "", ""}},
};
// clang-format on

QString GetMessageText(int Number) {
    if (MessageLanguage > 5 || Number < 0 || Number >= PGLangStrEntryCount) return QString();
    return QString::fromUtf8(PGLangStrEntries[Number].Texts[MessageLanguage]);
}

namespace {

void replaceFirst(QString& text, const QString& placeholder, const QString& value) {
    const int at = text.indexOf(placeholder);
    if (at >= 0) text.replace(at, placeholder.size(), value);
}

}  // namespace

QString FormatMessage1(int Number, const QString& S1) {
    QString text = GetMessageText(Number);
    replaceFirst(text, QStringLiteral("%S1"), S1);
    return text;
}

QString FormatMessage2(int Number, const QString& S1, const QString& S2) {
    QString text = FormatMessage1(Number, S1);
    replaceFirst(text, QStringLiteral("%S2"), S2);
    return text;
}

QString FormatMessage3(int Number, const QString& S1, const QString& S2, const QString& S3) {
    QString text = FormatMessage2(Number, S1, S2);
    replaceFirst(text, QStringLiteral("%S3"), S3);
    return text;
}

int BitCountToPixelFormat(int BitCount) {
    switch (BitCount) {
    case 1: return 0;
    case 4: return 1;
    case 8: return 2;
    case 24: return 3;
    default: throw EPGInvalidBitCountNum(FormatMessage1(20, QStringLiteral("BitCountNum")));
    }
}

long double Power(long double Base, long double Exponent) {
    if (Exponent == 0) return 1;
    if (Base == 0) return 0;
    if (Base == 1) return 1;
    if (Base < 0) throw EPixelGraphic(QStringLiteral("Invalid Argument"));
    return std::exp(Exponent * std::log(Base));
}

void CheckMessageTable() {
    for (int i = 0; i < PGLangStrEntryCount; ++i)
        if (PGLangStrEntries[i].Number != i)
            throw EPixelGraphic(QStringLiteral("PGLangStrEntries order wrong %1 and %2 are not identical")
                                    .arg(i)
                                    .arg(PGLangStrEntries[i].Number));
}
