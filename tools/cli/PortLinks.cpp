#include "PortLinks.h"

#include "DriverCodes.h"
#include "core/UserFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <sys/stat.h>
#include <sys/sysmacros.h>
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

// Terminals that are no serial port, by their device numbers (the kernel's list of devices).
struct OtherTerminal {
    unsigned major;
    unsigned firstMinor;
    unsigned lastMinor;
    const char* refusal;
};

constexpr unsigned TtyMajor = 4;          // tty0 to tty63 (virtual consoles), ttyS0 on
constexpr unsigned TtyAuxiliaryMajor = 5; // tty, console, ptmx, ttyprintk, the old cua ports
constexpr unsigned LastVirtualConsole = 63;

constexpr std::array<OtherTerminal, 5> OtherTerminals = {{
    {TtyAuxiliaryMajor, 0, 0, "je řídicí terminál procesu, který ho otevře, ne sériový port."},
    {TtyAuxiliaryMajor, 1, 1, "je systémová konzole, ne sériový port."},
    {TtyAuxiliaryMajor, 2, 2,
     "vytvoří při každém otevření nový pseudoterminál, na jehož druhé straně nikdo není; odkazujte "
     "pseudoterminál /dev/pts/N, který někdo drží otevřený (jako serkon-sim --pty)."},
    {TtyAuxiliaryMajor, 3, ~0u, "není sériový port."},
    {TtyMajor, 0, LastVirtualConsole, "je virtuální konzole, ne sériový port."},
}};

// The slave sides of pseudo-terminals (/dev/pts/N).
constexpr unsigned FirstPtySlaveMajor = 136;
constexpr unsigned LastPtySlaveMajor = 143;

// Whether sysfs puts the character device into the class of terminals, where every serial
// port's driver, its major number fixed or not, puts its ports.
bool IsInTtyClass(unsigned major, unsigned minor)
{
    const QString subsystem = QStringLiteral("/sys/dev/char/%1:%2/subsystem").arg(major).arg(minor);
    return QFileInfo(subsystem).canonicalFilePath().endsWith(QStringLiteral("/class/tty"));
}

// Why a character device of these numbers is no serial port; nothing when it is a serial port
// or the slave side of a pseudo-terminal.
std::optional<QString> RefusalAsTerminal(unsigned major, unsigned minor)
{
    for (const OtherTerminal& terminal : OtherTerminals) {
        if (major == terminal.major && minor >= terminal.firstMinor && minor <= terminal.lastMinor)
            return QString::fromUtf8(terminal.refusal);
    }
    if ((major >= FirstPtySlaveMajor && major <= LastPtySlaveMajor) || IsInTtyClass(major, minor))
        return std::nullopt;
    return QStringLiteral("není sériový port.");
}

} // namespace

QString PortsDirectory()
{
    const QString directory = UserFilesDirectory();
    return directory.isEmpty() ? QString() : directory + QStringLiteral("/ports");
}

std::optional<QString> PortLinkName(const QString& text)
{
    const QString name = text.toLower();
    if (name == QStringLiteral("usb") || name == QStringLiteral("pci"))
        return name;
    if (!name.startsWith(QStringLiteral("com")))
        return std::nullopt;
    const QString digits = name.mid(3);
    bool ok = false;
    const int number = digits.toInt(&ok);
    // Digits alone, without a sign or leading zero: the library asks for "com" + the number.
    if (!ok || number < 1 || number > 255 || digits != QString::number(number))
        return std::nullopt;
    return name;
}

std::optional<QString> RefusalAsSerialPort(const QString& path)
{
    // Judged by the device's numbers alone: opening a port raises DTR and RTS, which can key an
    // RS-485 transmitter, and each open of /dev/ptmx makes a new pseudo-terminal.
    struct stat info {};
    if (::stat(Encoded(path).constData(), &info) != 0) {
        if (errno == ENOENT)
            return QStringLiteral("%1 neexistuje.").arg(path);
        return QStringLiteral("%1: %2").arg(path, ErrorText(errno));
    }
    if (!S_ISCHR(info.st_mode))
        return QStringLiteral("%1 není sériový port.").arg(path);
    if (const std::optional<QString> refusal = RefusalAsTerminal(major(info.st_rdev), minor(info.st_rdev)))
        return QStringLiteral("%1 %2").arg(path, *refusal);
    if (::access(Encoded(path).constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(driverlib::CodeTextUtf8(driverlib::PortNoPermission)));
    return std::nullopt;
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
