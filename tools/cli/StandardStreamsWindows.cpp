// Windows: a console shows text written as UTF-16 (WriteConsoleW), whatever its code page; a
// pipe or a file gets the UTF-8 bytes (WriteFile), without the C library's text mode turning
// "\n" into "\r\n". A console takes control sequences once virtual terminal processing is on
// (Windows 10 and later); where that cannot be switched on, the output is lines.
#include "StandardStreams.h"

#include <QString>

#include <utility>
#include <vector>

#include <windows.h>

namespace {

HANDLE Handle(Stream stream)
{
    return ::GetStdHandle(stream == Stream::Out ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
}

bool IsConsole(HANDLE handle)
{
    DWORD mode = 0;
    return ::GetConsoleMode(handle, &mode) != 0;
}

// The consoles whose mode the program changed get their mode back when it ends, as the shell
// that shares them expects.
class ConsoleModes {
public:
    ~ConsoleModes()
    {
        for (auto it = changed_.rbegin(); it != changed_.rend(); ++it)
            ::SetConsoleMode(it->first, it->second);
    }
    void Remember(HANDLE handle, DWORD mode) { changed_.emplace_back(handle, mode); }

private:
    std::vector<std::pair<HANDLE, DWORD>> changed_;
};

ConsoleModes& ChangedModes()
{
    static ConsoleModes modes;
    return modes;
}

void WriteToConsole(HANDLE handle, const QByteArray& utf8)
{
    const QString text = QString::fromUtf8(utf8);
    const auto* characters = reinterpret_cast<const wchar_t*>(text.utf16());
    DWORD left = DWORD(text.size());
    DWORD written = 0;
    while (left > 0 && ::WriteConsoleW(handle, characters, left, &written, nullptr) && written > 0) {
        characters += written;
        left -= written;
    }
}

void WriteBytes(HANDLE handle, const QByteArray& bytes)
{
    const char* data = bytes.constData();
    DWORD left = DWORD(bytes.size());
    DWORD written = 0;
    while (left > 0 && ::WriteFile(handle, data, left, &written, nullptr) && written > 0) {
        data += written;
        left -= written;
    }
}

} // namespace

bool IsTerminal(Stream stream)
{
    const HANDLE handle = Handle(stream);
    DWORD mode = 0;
    if (!::GetConsoleMode(handle, &mode))
        return false;
    if (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        return true;
    if (!::SetConsoleMode(handle, mode | ENABLE_PROCESSED_OUTPUT | ENABLE_VIRTUAL_TERMINAL_PROCESSING))
        return false;
    ChangedModes().Remember(handle, mode);
    return true;
}

void Write(Stream stream, const QByteArray& utf8)
{
    const HANDLE handle = Handle(stream);
    if (IsConsole(handle))
        WriteToConsole(handle, utf8);
    else
        WriteBytes(handle, utf8);
}
