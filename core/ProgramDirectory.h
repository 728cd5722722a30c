// The directory of the program's executable: the settings file and the driver libraries lie there.
#pragma once

#include <QString>

// The directory, without a trailing separator; empty when it cannot be found out.
QString ProgramDirectory();

// The directory of the executable at the absolute path. When the path is empty or relative (the
// executable could not be found out), the application's directory if an application object
// exists, otherwise empty: never a directory relative to the working directory.
QString ExecutableDirectory(const QString& executablePath);

// Points the program at another directory; an empty path restores the executable's directory.
// Tests use it to run against their own settings files and driver libraries.
void SetProgramDirectory(const QString& directory);

// Joins the program directory and a file name; empty when the directory is unknown.
QString ProgramFilePath(const QString& fileName);
