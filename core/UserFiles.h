// Where the user's files lie: the settings file SERKON.ini and the folder ports/ of the driver
// libraries' port links.
//
// Beside the program where the user may write its folder (a build folder, an unpacked copy, an
// install into the user's own prefix), as always. Elsewhere, in a system install, in the user's
// configuration folder $XDG_CONFIG_HOME/serkon (by default ~/.config/serkon). A folder under
// /usr never counts as writable, not even for root: nothing writes there while programs run.
// XDG_CONFIG_HOME, HOME and the home folder of the user database count only when their bytes
// begin with '/' and are UTF-8, the only file names the program can give.
// On Windows the same rule: beside the program where the folder's permissions let the user add
// a file (the unpacked zip), otherwise in %APPDATA%\SERKON (the user's roaming application
// data); a folder under Program Files never counts as writable, not even for an administrator.
// The driver libraries follow the same rule with their own code (driverlibs/UserFolder.h).
#pragma once

#include <QString>

// The folder of the user's files for the program's directory; empty when neither the program's
// directory nor a configuration folder can be found out.
QString UserFilesDirectory();
QString UserFilesDirectoryFor(const QString& programDirectory);

// Creates the folder and any missing parent, each accessible to the user alone. In the
// configuration folder (serkon and its ports/) each must then be a real folder, no symbolic
// link, of the user's own that no group or other user may write into, or whoever can replace
// it could replace the files in it. On Windows each new level inherits the permissions of the
// folder above it, in the user's profile the user's alone. False, with the reason in `failure`,
// when any of that fails.
bool MakeUserFilesDirectory(const QString& directory, QString* failure);
