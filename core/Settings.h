// The connection settings file "SERKON.ini": beside the program's executable, or in the user's
// configuration folder where the program's folder cannot be written (UserFiles.h).
#pragma once

#include "Records.h"

#include <QString>

// Where the settings are stored; empty when no folder for them can be found out.
QString SettingsFilePath();
// The file the settings are loaded from: the stored file, or while there is none a SERKON.ini
// shipped beside the executable, which gives the first values. Saving writes the stored file,
// keeping what the shipped one holds besides the settings.
QString SettingsSourcePath();

// Overlays the record with the stored settings. False when given no record, when the file
// cannot be read or when it names no interface; the record is then unchanged.
bool LoadSettings(TData* data);
bool LoadSettingsFrom(const QString& path, TData* data);

// Stores the settings of the record's interface, creating the user's configuration folder when
// it is needed. False when given no record, when an existing file cannot be read, or when the
// file could not be written; then the old file is unchanged and `failure` (if given) says why.
bool SaveSettings(const TData* data, QString* failure = nullptr);
bool SaveSettingsTo(const QString& path, const TData* data, QString* failure = nullptr);
