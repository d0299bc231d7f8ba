#include "site_manager/application_options.h"

#include "platform/ini_file.h"
#include "site_manager/site_paths.h"

TApplicationOptions ApplicationOptions;

namespace {
const QString kSection = QStringLiteral("Options");
}

QString optionsFileName() { return DataDirectory + "options.ini"; }

void loadApplicationOptions() {
    const platform::IniFile ini(optionsFileName());
    ApplicationOptions.DefaultJPEGCompression = qint16(ini.readInteger(kSection, "DefaultJPEGCompression", 80));
    // An unreadable length falls back to 17, a missing one to 15.
    ApplicationOptions.MaxFilenameLength =
        qint16(ini.valueExists(kSection, "MaxFilenameLength") ? ini.readInteger(kSection, "MaxFilenameLength", 17) : 15);
    ApplicationOptions.UseThumbsDirectory = platform::onUnlessFalse(ini.readString(kSection, "UseThumbsDirectory", "True"));
    ApplicationOptions.ForceLowercase = platform::onOnlyIfTrue(ini.readString(kSection, "ForceLowercase", "False"));
    ApplicationOptions.UseRotations = platform::onOnlyIfTrue(ini.readString(kSection, "UseRotations", "False"));
}

void saveApplicationOptions() {
    platform::IniFile ini(optionsFileName());
    ini.writeInteger(kSection, "DefaultJPEGCompression", ApplicationOptions.DefaultJPEGCompression);
    ini.writeBool(kSection, "UseThumbsDirectory", ApplicationOptions.UseThumbsDirectory);
    ini.writeBool(kSection, "ForceLowercase", ApplicationOptions.ForceLowercase);
    ini.writeInteger(kSection, "MaxFilenameLength", ApplicationOptions.MaxFilenameLength);
    ini.writeBool(kSection, "UseRotations", ApplicationOptions.UseRotations);
}
