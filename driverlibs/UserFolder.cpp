#include "UserFolder.h"

#include <cstdlib>
#include <pwd.h>
#include <unistd.h>

namespace driverlib {

namespace {

bool IsSystemDirectory(const std::string& directory)
{
    return directory == "/usr" || directory.rfind("/usr/", 0) == 0;
}

// An absolute path from the environment; a relative one is ignored, as the XDG rules say.
std::string AbsoluteVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value && value[0] == '/' ? std::string(value) : std::string();
}

std::string ConfigHome()
{
    std::string configHome = AbsoluteVariable("XDG_CONFIG_HOME");
    if (!configHome.empty())
        return configHome;
    std::string home = AbsoluteVariable("HOME");
    if (home.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()); user && user->pw_dir)
            home = user->pw_dir;
    }
    return home.rfind('/', 0) == 0 ? home + "/.config" : std::string();
}

} // namespace

std::string UserFilesDirectory(const std::string& programDirectory)
{
    if (programDirectory.empty())
        return {};
    if (!IsSystemDirectory(programDirectory) && ::access(programDirectory.c_str(), W_OK) == 0)
        return programDirectory;
    std::string configHome = ConfigHome();
    while (configHome.size() > 1 && configHome.back() == '/')
        configHome.pop_back();
    return configHome.empty() ? std::string() : configHome + "/serkon";
}

} // namespace driverlib
