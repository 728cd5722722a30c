#include "PortLinks.h"

#include "core/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace {

QString ErrorText(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QByteArray Encoded(const QString& path)
{
    return QFile::encodeName(path);
}

} // namespace

QString PortsDirectory()
{
    const QString directory = UserFilesDirectory();
    return directory.isEmpty() ? QString() : directory + QStringLiteral("/ports");
}

bool MakePortLink(const QString& directory, const QString& name, const QString& target, QString* failure)
{
    if (!MakeUserFilesDirectory(directory, failure))
        return false;
    const QString link = QDir(directory).filePath(name);
    const QString temporary = QStringLiteral("%1/.%2.%3.new").arg(directory, name).arg(::getpid());
    ::unlink(Encoded(temporary).constData());
    if (::symlink(Encoded(target).constData(), Encoded(temporary).constData()) != 0
        || ::rename(Encoded(temporary).constData(), Encoded(link).constData()) != 0) {
        const int error = errno;
        ::unlink(Encoded(temporary).constData());
        if (failure)
            *failure = QStringLiteral("Odkaz %1 nelze vytvořit: %2").arg(link, ErrorText(error));
        return false;
    }
    return true;
}

std::vector<PortLink> ReadPortLinks(const QString& directory)
{
    std::vector<PortLink> links;
    const QDir folder(directory);
    for (const QString& name : folder.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot,
                                                QDir::Name)) {
        if (PortLinkName(name) != name)
            continue;
        const QString path = folder.filePath(name);
        std::error_code error;
        const std::filesystem::path stored = std::filesystem::read_symlink(Encoded(path).toStdString(), error);
        links.push_back({name, error ? path : QFile::decodeName(QByteArray::fromStdString(stored.string())),
                         QFileInfo(path).canonicalFilePath()});
    }
    return links;
}

QString StablePortPath(const QString& device, const QString& byIdDirectory)
{
    const QString canonical = QFileInfo(device).canonicalFilePath();
    if (canonical.isEmpty())
        return {};
    const QDir folder(byIdDirectory);
    for (const QString& name : folder.entryList(QDir::System | QDir::Files | QDir::NoDotAndDotDot, QDir::Name)) {
        if (QFileInfo(folder.filePath(name)).canonicalFilePath() == canonical)
            return folder.filePath(name);
    }
    return {};
}
