#include "UserFolder.h"

#include "WideTextWindows.h"

#include <windows.h>
#include <aclapi.h>
#include <knownfolders.h>
#include <shlobj.h>

#include <cstdlib>

namespace driverlib {

namespace {

// With '/' separators and none at the end, as the program writes paths.
std::wstring Normalised(std::wstring path)
{
    for (wchar_t& c : path) {
        if (c == L'\\')
            c = L'/';
    }
    while (path.size() > 1 && path.back() == L'/')
        path.pop_back();
    return path;
}

std::wstring KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    std::wstring folder;
    // Not verified: a missing folder is made when first needed.
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)))
        folder = Normalised(path);
    CoTaskMemFree(path);
    return folder;
}

bool IsAbsolute(const std::wstring& path)
{
    return (path.size() >= 3 && path[1] == L':' && path[2] == L'/') || path.rfind(L"//", 0) == 0;
}

// Compared as the file system compares names.
bool IsAtOrBelow(const std::wstring& folder, const std::wstring& base)
{
    const std::wstring path = Normalised(folder);
    return !base.empty() && path.size() >= base.size()
        && CompareStringOrdinal(path.data(), int(base.size()), base.data(), int(base.size()), TRUE)
            == CSTR_EQUAL
        && (path.size() == base.size() || path[base.size()] == L'/');
}

bool IsSystemDirectory(const std::wstring& directory)
{
    return IsAtOrBelow(directory, KnownFolder(FOLDERID_ProgramFiles))
        || IsAtOrBelow(directory, KnownFolder(FOLDERID_ProgramFilesX86));
}

bool TokenMayAddFile(PSECURITY_DESCRIPTOR security)
{
    HANDLE process = nullptr;
    HANDLE token = nullptr;
    bool granted = false;
    if (OpenProcessToken(GetCurrentProcess(), TOKEN_DUPLICATE | TOKEN_QUERY, &process)
        && DuplicateToken(process, SecurityImpersonation, &token)) {
        GENERIC_MAPPING mapping = {FILE_GENERIC_READ, FILE_GENERIC_WRITE, FILE_GENERIC_EXECUTE,
                                   FILE_ALL_ACCESS};
        PRIVILEGE_SET privileges {};
        DWORD privilegesLength = sizeof privileges;
        DWORD grantedAccess = 0;
        BOOL accessStatus = FALSE;
        granted = AccessCheck(security, token, FILE_ADD_FILE, &mapping, &privileges,
                              &privilegesLength, &grantedAccess, &accessStatus)
            && accessStatus;
    }
    if (token)
        CloseHandle(token);
    if (process)
        CloseHandle(process);
    return granted;
}

bool FolderMayTakeAFile(HANDLE folder)
{
    BY_HANDLE_FILE_INFORMATION information {};
    DWORD volumeFlags = 0;
    if (!GetFileInformationByHandle(folder, &information)
        || !(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
        || !GetVolumeInformationByHandleW(folder, nullptr, 0, nullptr, nullptr, &volumeFlags,
                                          nullptr, 0)
        || (volumeFlags & FILE_READ_ONLY_VOLUME))
        return false;
    PSECURITY_DESCRIPTOR security = nullptr;
    const DWORD read = GetSecurityInfo(folder, SE_FILE_OBJECT,
                                       OWNER_SECURITY_INFORMATION | GROUP_SECURITY_INFORMATION
                                           | DACL_SECURITY_INFORMATION,
                                       nullptr, nullptr, nullptr, nullptr, &security);
    const bool mayAdd = read == ERROR_SUCCESS && TokenMayAddFile(security);
    LocalFree(security);
    return mayAdd;
}

// Whether the folder's permissions let the user who runs the program add a file to it.
bool UserMayWrite(const std::wstring& directory)
{
    const HANDLE folder = CreateFileW(directory.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    const bool mayWrite = FolderMayTakeAFile(folder);
    CloseHandle(folder);
    return mayWrite;
}

// The roaming application data folder of the user's profile; the variable only where the
// profile does not say.
std::wstring ApplicationData()
{
    const std::wstring known = KnownFolder(FOLDERID_RoamingAppData);
    if (!known.empty())
        return known;
    const wchar_t* variable = _wgetenv(L"APPDATA");
    const std::wstring value = variable ? Normalised(variable) : std::wstring();
    return IsAbsolute(value) ? value : std::wstring();
}

} // namespace

std::string UserFilesDirectory(const std::string& programDirectory)
{
    if (programDirectory.empty())
        return {};
    const std::wstring directory = WideOf(programDirectory);
    if (!IsSystemDirectory(directory) && UserMayWrite(directory))
        return programDirectory;
    const std::wstring applicationData = ApplicationData();
    return applicationData.empty() ? std::string() : Utf8Of(applicationData) + "/SERKON";
}

} // namespace driverlib
