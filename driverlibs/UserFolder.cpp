#include "UserFolder.h"

#include <cstdint>
#include <cstdlib>
#include <pwd.h>
#include <string_view>
#include <unistd.h>

namespace driverlib {

namespace {

bool IsSystemDirectory(const std::string& directory)
{
    return directory == "/usr" || directory.rfind("/usr/", 0) == 0;
}

// Whether the bytes are well-formed UTF-8 (no overlong form, no surrogate, nothing beyond
// U+10FFFF).
bool IsUtf8(std::string_view text)
{
    for (size_t i = 0; i < text.size();) {
        const auto lead = uint8_t(text[i]);
        size_t length = 1;
        uint8_t low = 0x80;   // the bounds of the second byte, narrower after some leads
        uint8_t high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : low;
            high = lead == 0xED ? 0x9F : high;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : low;
            high = lead == 0xF4 ? 0x8F : high;
        } else if (lead >= 0x80) {
            return false;
        }
        if (i + length > text.size())
            return false;
        for (size_t k = 1; k < length; ++k) {
            const auto next = uint8_t(text[i + k]);
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return false;
        }
        i += length;
    }
    return true;
}

// A folder named by the environment or the user database: absolute by its first byte, and
// UTF-8, as the program can only name such folders. Otherwise empty: ignored, as the XDG
// rules ignore a relative path.
std::string UsablePath(const char* value)
{
    return value && value[0] == '/' && IsUtf8(value) ? std::string(value) : std::string();
}

std::string ConfigHome()
{
    std::string configHome = UsablePath(std::getenv("XDG_CONFIG_HOME"));
    if (!configHome.empty())
        return configHome;
    std::string home = UsablePath(std::getenv("HOME"));
    if (home.empty()) {
        if (const passwd* user = ::getpwuid(::getuid()))
            home = UsablePath(user->pw_dir);
    }
    return home.empty() ? std::string() : home + "/.config";
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
