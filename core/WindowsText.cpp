#include "WindowsText.h"

#include <QDir>

#include <windows.h>

namespace {

// CreateDirectoryW's limit, the lowest of the calls the program makes.
constexpr qsizetype ClassicPathLimit = MAX_PATH - 12;

bool IsDrivePath(const QString& path)
{
    return path.size() >= 3 && path[0].isLetter() && path[1] == u':' && path[2] == u'/';
}

bool IsUncPath(const QString& path)
{
    return path.startsWith(QStringLiteral("//")) && !path.startsWith(QStringLiteral("//?/"))
        && !path.startsWith(QStringLiteral("//./"));
}

std::wstring Wide(const QString& text)
{
    return text.toStdWString();
}

} // namespace

std::wstring NativePath(const QString& path)
{
    if (path.size() < ClassicPathLimit)
        return Wide(QDir::toNativeSeparators(path));
    // The long form takes the path literally: no "." or "..", no '/'.
    const QString clean = QDir::cleanPath(path);
    if (IsDrivePath(clean))
        return Wide(QStringLiteral("\\\\?\\") + QDir::toNativeSeparators(clean));
    if (IsUncPath(clean))
        return Wide(QStringLiteral("\\\\?\\UNC\\") + QDir::toNativeSeparators(clean.mid(2)));
    return Wide(QDir::toNativeSeparators(path));
}

QString PathFromNative(const wchar_t* path)
{
    QString text = QString::fromWCharArray(path);
    if (text.startsWith(QStringLiteral("\\\\?\\UNC\\")))
        text = QStringLiteral("\\\\") + text.mid(8);
    else if (text.startsWith(QStringLiteral("\\\\?\\")))
        text = text.mid(4);
    return QDir::fromNativeSeparators(text);
}

QString SystemMessage(unsigned long error)
{
    wchar_t buffer[512];
    const DWORD flags = FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    const DWORD length = FormatMessageW(flags, nullptr, error, 0, buffer, DWORD(std::size(buffer)),
                                        nullptr);
    QString text = QString::fromWCharArray(buffer, int(length)).trimmed();
    if (text.endsWith(u'.'))
        text.chop(1);
    return text.isEmpty() ? QStringLiteral("systémová chyba %1").arg(error) : text;
}
