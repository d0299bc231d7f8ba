#include "site_manager/builder/descriptions.h"

#include "platform/dialogs.h"
#include "platform/file_ops.h"
#include "platform/ini_file.h"
#include "site_manager/builder/template_filling.h"
#include "site_manager/builder/text_format.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

bool ConvertCSVtoINI(const QString& textFile, const QString& iniFile) {
    QFile file(textFile);
    if (!file.open(QIODevice::ReadOnly)) return false;
    QString text = decodeUserText(file.readAll());
    text.replace("\r\n", "\n").replace('\r', '\n');
    if (text.endsWith('\n')) text.chop(1);
    if (text.isEmpty()) return false;
    QStringList lines = text.split('\n');
    lines.prepend("[Descriptions]");
    bool entryFound = false;
    for (QString& line : lines) {
        const int comma = line.indexOf(',');
        if (comma < 0) continue;
        line[comma] = '=';
        entryFound = true;
    }
    if (entryFound) return platform::writeTextLines(iniFile, lines);
    return platform::messageBox("No valid entries were found in the file, " + textFile +
                                    ".  Do you still want to build this Site?",
                                platform::MessageKind::Warning,
                                platform::MessageButtons::YesNo) == platform::MessageResult::Yes;
}

std::optional<DescriptionSource> prepareDescriptionFile(const QString& descriptionFile) {
    if (QFileInfo(descriptionFile).suffix().toUpper() == "INI") return DescriptionSource{descriptionFile, nullptr};
    // Created exclusively: the name cannot be one that existed, so the conversion replaces and the
    // build later removes nothing but this file.
    auto temporary = std::make_unique<QTemporaryFile>(QDir::temp().filePath("descriptions-XXXXXX.ini"));
    if (!temporary->open()) return std::nullopt;
    const QString iniPath = temporary->fileName();
    temporary->close();
    if (!ConvertCSVtoINI(descriptionFile, iniPath)) return std::nullopt;
    return DescriptionSource{iniPath, std::move(temporary)};
}

DescriptionTable::DescriptionTable(const QString& descriptionIniPath) {
    if (descriptionIniPath.isEmpty()) return;
    for (const QString& pair : platform::IniFile(descriptionIniPath).readSectionValues("Descriptions")) {
        const int equals = pair.indexOf('=');
        const QString key = pair.left(equals).toLower();
        if (!values_.contains(key)) values_.insert(key, pair.mid(equals + 1));
    }
}

QString LookupDescription(const BuildSettings& settings, const DescriptionTable& descriptions, const QString& imageName) {
    QString description = descriptions.value(imageName);
    if (description.isEmpty()) description = descriptions.value(settings.pageDirectory() + imageName);
    // A typed description is the user's own HTML; a file name standing in for it is only text.
    if (description.isEmpty() && settings.chkShowFIlenameWhenNoDesc) return HtmlText(imageName);
    return description;
}

QString LookupDescription(const BuildSettings& settings, const QString& descriptionIniPath, const QString& imageName) {
    return LookupDescription(settings, DescriptionTable(descriptionIniPath), imageName);
}
