// The directory of the program's executable: the settings file and the driver libraries lie there.
#pragma once

#include <QString>

// The directory, without a trailing separator.
QString ProgramDirectory();

// Points the program at another directory; an empty path restores the executable's directory.
// Tests use it to run against their own settings files and driver libraries.
void SetProgramDirectory(const QString& directory);

// Joins the program directory and a file name.
QString ProgramFilePath(const QString& fileName);
