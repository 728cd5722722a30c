#include "ReadFilePlatform.h"

#include "WindowsText.h"

#include <windows.h>

namespace {

PlatformRead Failed(DWORD error)
{
    return {FileRead::Failed, SystemMessage(error)};
}

bool ReadAll(HANDLE file, QByteArray& bytes)
{
    char chunk[65536];
    for (;;) {
        DWORD count = 0;
        if (!ReadFile(file, chunk, sizeof chunk, &count, nullptr))
            return false;
        if (count == 0)
            return true;
        bytes.append(chunk, qsizetype(count));
    }
}

PlatformRead ReadOpened(HANDLE file, QByteArray& bytes)
{
    // A device or a pipe by that name could make a read wait for ever.
    if (GetFileType(file) != FILE_TYPE_DISK)
        return {FileRead::Failed, NotARegularFile};
    BY_HANDLE_FILE_INFORMATION information {};
    if (!GetFileInformationByHandle(file, &information))
        return Failed(GetLastError());
    if (information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        return {FileRead::Failed, IsAFolder};
    if (!ReadAll(file, bytes))
        return Failed(GetLastError());
    return {};
}

} // namespace

PlatformRead ReadFileBytes(const QString& path, QByteArray& bytes)
{
    // Others may go on reading, writing, renaming or replacing the file meanwhile, as a save
    // does. A folder opens only with backup semantics, so that it is told from a locked file.
    const HANDLE file = CreateFileW(NativePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return {FileRead::Missing, {}};
        return Failed(error);
    }
    const PlatformRead result = ReadOpened(file, bytes);
    CloseHandle(file);
    return result;
}
