// The connection settings file "SERKON.ini" beside the program's executable.
#pragma once

#include "Records.h"

#include <QString>

QString SettingsFilePath();

// Overlays the record with the stored settings. False when given no record, when the file
// cannot be read or when it names no interface; the record is then unchanged.
bool LoadSettings(TData* data);
bool LoadSettingsFrom(const QString& path, TData* data);

// Stores the settings of the record's interface. False when given no record, when an existing
// file cannot be read, or when the file could not be written; then the old file is unchanged
// and `failure` (if given) says why.
bool SaveSettings(const TData* data, QString* failure = nullptr);
bool SaveSettingsTo(const QString& path, const TData* data, QString* failure = nullptr);
