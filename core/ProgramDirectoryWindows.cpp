#include "ExecutablePath.h"

#include "WindowsText.h"

#include <windows.h>

#include <vector>

namespace {

// A path's length in UTF-16 units is below this.
constexpr DWORD LongestPath = 32768;

} // namespace

QString ExecutablePath()
{
    // The call cuts a path that does not fit and then returns the buffer's whole size.
    for (DWORD size = MAX_PATH;; size *= 2) {
        std::vector<wchar_t> buffer(size);
        const DWORD length = GetModuleFileNameW(nullptr, buffer.data(), size);
        if (length == 0)
            return {};
        if (length < size)
            return PathFromNative(buffer.data());
        if (size >= LongestPath)
            return {};
    }
}
