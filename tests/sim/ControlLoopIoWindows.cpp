#include "ControlLoopIo.h"

#include <windows.h>

InputPipe::InputPipe(const std::string& text)
{
    HANDLE readEnd = nullptr;
    HANDLE writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, nullptr, DWORD(text.size() + 4096)))
        return;
    readEnd_ = readEnd;
    DWORD written = 0;
    WriteFile(writeEnd, text.data(), DWORD(text.size()), &written, nullptr);
    CloseHandle(writeEnd);
}

InputPipe::~InputPipe()
{
    if (readEnd_ != sim::NoHandle)
        CloseHandle(readEnd_);
}

// The C runtime's tmpfile puts its file into the root of the drive, where an ordinary user of
// Windows may not write; this one lies in the user's temporary folder.
std::FILE* ScratchFile()
{
    wchar_t folder[MAX_PATH + 1];
    wchar_t path[MAX_PATH + 1];
    if (GetTempPathW(MAX_PATH + 1, folder) == 0 || GetTempFileNameW(folder, L"sim", 0, path) == 0)
        return nullptr;
    return _wfopen(path, L"w+bTD");  // T: kept in memory if it can be, D: removed at close
}
