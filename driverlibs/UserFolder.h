// The folder of the user's files, where ports/ lies: the folder of the program and its driver
// libraries where the user may write it, otherwise the user's configuration folder
// $XDG_CONFIG_HOME/serkon (by default ~/.config/serkon). A folder under /usr never counts as
// writable. XDG_CONFIG_HOME, HOME and the user database's home folder count only when their
// bytes begin with '/' and are UTF-8. On Windows the folder is %APPDATA%\SERKON where the
// program's cannot be written, and a folder under Program Files never counts as writable; paths
// are UTF-8 there. The program keeps SERKON.ini by the same rule (core/UserFiles.h); a test holds
// the two to each other.
#pragma once

#include <string>

namespace driverlib {

// Empty when neither the folder nor a configuration folder can be found out.
std::string UserFilesDirectory(const std::string& programDirectory);

} // namespace driverlib
