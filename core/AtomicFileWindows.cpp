#include "AtomicFilePlatform.h"

#include "WindowsText.h"

#include <QRandomGenerator>

#include <windows.h>

#include <algorithm>

namespace {

using Step = ReplaceFailure::Step;

ReplaceFailure Failed(Step step, const QString& path, DWORD error)
{
    return {step, path, SystemMessage(error)};
}

QString RandomTag()
{
    static constexpr char16_t Characters[] =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    constexpr int count = int(std::size(Characters) - 1);
    QString tag;
    for (int i = 0; i < TemporaryTagLength; ++i)
        tag += QChar(Characters[QRandomGenerator::global()->bounded(count)]);
    return tag;
}

bool Exists(const QString& path)
{
    return GetFileAttributesW(NativePath(path).c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Names differing in letter case alone are one name here, so a tag can be taken; another is
// tried then.
constexpr int TagAttempts = 100;

struct Temporary {
    QString path;
    HANDLE handle = INVALID_HANDLE_VALUE;
};

DWORD CreateTemporary(const QString& target, Temporary& temporary)
{
    for (int attempt = 0; attempt < TagAttempts; ++attempt) {
        temporary.path = TemporaryPath(target, RandomTag());
        temporary.handle = CreateFileW(NativePath(temporary.path).c_str(), GENERIC_WRITE, 0,
                                       nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (temporary.handle != INVALID_HANDLE_VALUE)
            return ERROR_SUCCESS;
        const DWORD error = GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS)
            return error;
    }
    return ERROR_FILE_EXISTS;
}

bool WriteAll(HANDLE file, const QByteArray& bytes)
{
    const char* next = bytes.constData();
    qsizetype left = bytes.size();
    while (left > 0) {
        const auto chunk = DWORD(std::min<qsizetype>(left, qsizetype(1) << 30));
        DWORD written = 0;
        if (!WriteFile(file, next, chunk, &written, nullptr))
            return false;
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return false;
        }
        next += written;
        left -= written;
    }
    return true;
}

// Writes, flushes and closes; the error of the first step that failed.
DWORD WriteAndClose(HANDLE file, const QByteArray& bytes)
{
    DWORD error = ERROR_SUCCESS;
    if (!WriteAll(file, bytes) || !FlushFileBuffers(file))
        error = GetLastError();
    if (!CloseHandle(file) && error == ERROR_SUCCESS)
        error = GetLastError();
    return error;
}

QString UnusedTemporaryPath(const QString& target)
{
    QString path;
    for (int attempt = 0; attempt < TagAttempts; ++attempt) {
        path = TemporaryPath(target, RandomTag());
        if (!Exists(path))
            break;
    }
    return path;
}

// ReplaceFileW keeps the target's attributes and permissions. With a name for the old file
// while the two are swapped, each of its failures leaves the old file under the target's name
// or lets it be put back there; without one, some lose it. That name has a temporary file's
// form, so should removing it fail, the next save clears it away.
DWORD ReplaceExisting(const std::wstring& target, const std::wstring& temporary,
                      const std::wstring& old)
{
    if (ReplaceFileW(target.c_str(), temporary.c_str(), old.c_str(), 0, nullptr, nullptr)) {
        DeleteFileW(old.c_str());
        return ERROR_SUCCESS;
    }
    const DWORD error = GetLastError();
    if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2)
        MoveFileExW(old.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
    return error;
}

DWORD PutInPlace(const QString& temporary, const QString& target)
{
    const std::wstring to = NativePath(target);
    const std::wstring from = NativePath(temporary);
    if (GetFileAttributesW(to.c_str()) == INVALID_FILE_ATTRIBUTES
        && GetLastError() == ERROR_FILE_NOT_FOUND) {
        // A new file gets the folder's inherited permissions, as any new file does.
        const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
        return MoveFileExW(from.c_str(), to.c_str(), flags) ? ERROR_SUCCESS : GetLastError();
    }
    return ReplaceExisting(to, from, NativePath(UnusedTemporaryPath(target)));
}

} // namespace

std::optional<ReplaceFailure> ReplaceThroughTemporary(const QString& target,
                                                     const QByteArray& bytes)
{
    // Wine's ReplaceFileW puts a file in place of an empty folder; Windows refuses, with a
    // message that does not say why.
    const DWORD attributes = GetFileAttributesW(NativePath(target).c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY))
        return ReplaceFailure{Step::Write, target, IsAFolder};

    Temporary temporary;
    if (const DWORD error = CreateTemporary(target, temporary))
        return Failed(Step::CreateTemporary, temporary.path, error);

    DWORD error = WriteAndClose(temporary.handle, bytes);
    if (error == ERROR_SUCCESS)
        error = PutInPlace(temporary.path, target);
    if (error != ERROR_SUCCESS) {
        DeleteFileW(NativePath(temporary.path).c_str());
        return Failed(Step::Write, target, error);
    }
    return std::nullopt;
}
