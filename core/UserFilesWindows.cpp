#include "UserFiles.h"

#include "ProgramDirectory.h"
#include "WindowsText.h"

#include <QDir>

#include <windows.h>
#include <aclapi.h>
#include <knownfolders.h>
#include <shlobj.h>

namespace {

QString KnownFolder(REFKNOWNFOLDERID id)
{
    PWSTR path = nullptr;
    QString folder;
    // Not verified: a missing folder is made when first needed.
    if (SUCCEEDED(SHGetKnownFolderPath(id, KF_FLAG_DONT_VERIFY, nullptr, &path)))
        folder = PathFromNative(path);
    CoTaskMemFree(path);
    return folder;
}

QString WithoutTrailingSeparators(QString path)
{
    path = QDir::fromNativeSeparators(path);
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

// Compared as the file system compares names.
bool SameNames(QStringView a, QStringView b)
{
    return CompareStringOrdinal(reinterpret_cast<const wchar_t*>(a.utf16()), int(a.size()),
                                reinterpret_cast<const wchar_t*>(b.utf16()), int(b.size()), TRUE)
        == CSTR_EQUAL;
}

bool IsAtOrBelow(const QString& folder, const QString& base)
{
    const QString path = WithoutTrailingSeparators(folder);
    const QString top = WithoutTrailingSeparators(base);
    return !top.isEmpty() && path.size() >= top.size()
        && SameNames(QStringView(path).left(top.size()), top)
        && (path.size() == top.size() || path[top.size()] == u'/');
}

bool IsSystemDirectory(const QString& directory)
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

// Whether the folder's permissions let the user who runs the program add a file to it: asked
// of its security descriptor, as the mode bits are asked on Linux, not by writing a file there.
// The path is taken as it is, not in its long form, as the driver libraries take it.
bool UserMayWrite(const QString& directory)
{
    const HANDLE folder = CreateFileW(QDir::toNativeSeparators(directory).toStdWString().c_str(),
                                      READ_CONTROL | FILE_READ_ATTRIBUTES,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                      nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (folder == INVALID_HANDLE_VALUE)
        return false;
    const bool mayWrite = FolderMayTakeAFile(folder);
    CloseHandle(folder);
    return mayWrite;
}

// The roaming application data folder of the user's profile; the variable only where the
// profile does not say, as for an account without a loaded profile.
QString ApplicationData()
{
    const QString known = KnownFolder(FOLDERID_RoamingAppData);
    if (!known.isEmpty())
        return known;
    const QString variable = QDir::fromNativeSeparators(qEnvironmentVariable("APPDATA"));
    return QDir::isAbsolutePath(variable) ? variable : QString();
}

// Where the folder's path starts to have levels of its own: after "C:/" or "//server/share".
qsizetype RootLength(const QString& path)
{
    if (path.startsWith(QStringLiteral("//"))) {
        const qsizetype server = path.indexOf(u'/', 2);
        const qsizetype share = server < 0 ? -1 : path.indexOf(u'/', server + 1);
        return share < 0 ? path.size() : share;
    }
    return path.size() >= 3 && path[1] == u':' ? 3 : 0;
}

bool IsFolder(const QString& path)
{
    const DWORD attributes = GetFileAttributesW(NativePath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

// A new level inherits the permissions of the one above it, in the user's profile those of the
// user alone.
bool MakeFolder(const QString& path, DWORD& error)
{
    if (IsFolder(path) || CreateDirectoryW(NativePath(path).c_str(), nullptr))
        return true;
    error = GetLastError();
    return IsFolder(path);  // made meanwhile by another copy of the program
}

} // namespace

QString UserFilesDirectory()
{
    return UserFilesDirectoryFor(ProgramDirectory());
}

QString UserFilesDirectoryFor(const QString& programDirectory)
{
    if (programDirectory.isEmpty())
        return {};
    if (!IsSystemDirectory(programDirectory) && UserMayWrite(programDirectory))
        return programDirectory;
    const QString applicationData = WithoutTrailingSeparators(ApplicationData());
    return applicationData.isEmpty() ? QString() : applicationData + QStringLiteral("/SERKON");
}

bool MakeUserFilesDirectory(const QString& directory, QString* failure)
{
    const QString clean = QDir::cleanPath(QDir::fromNativeSeparators(directory));
    const qsizetype first = clean.indexOf(u'/', RootLength(clean) + 1);
    for (qsizetype end = first;; end = clean.indexOf(u'/', end + 1)) {
        const QString path = end < 0 ? clean : clean.left(end);
        DWORD error = ERROR_SUCCESS;
        if (!MakeFolder(path, error)) {
            if (failure)
                *failure = QStringLiteral("Nelze vytvořit složku %1: %2")
                               .arg(path, SystemMessage(error));
            return false;
        }
        if (end < 0)
            return true;
    }
}
