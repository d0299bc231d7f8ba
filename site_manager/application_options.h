#pragma once
// The program-wide options kept in options.ini [Options], loaded when the main window is shown
// and written back when it closes.
#include <QString>

struct TApplicationOptions {
    qint16 DefaultJPEGCompression = 80;
    qint16 MaxFilenameLength = 15;
    bool UseThumbsDirectory = true;
    bool ForceLowercase = false;
    bool UseRotations = false;
};

extern TApplicationOptions ApplicationOptions;

// options.ini in the data directory.
QString optionsFileName();
// Reads the gallery keys of options.ini into ApplicationOptions.
void loadApplicationOptions();
// Writes the gallery keys; raises platform::IniWriteError when the file cannot be written.
void saveApplicationOptions();
