#include "SerialPortCheck.h"

#include "DriverCodes.h"

#include <QFile>
#include <QFileInfo>

#include <array>
#include <cerrno>
#include <cstring>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

namespace {

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

constexpr const char* NoSerialPort = "není sériový port.";

constexpr std::array<OtherTerminal, 5> OtherTerminals = {{
    {TtyAuxiliaryMajor, 0, 0, "je řídicí terminál procesu, který ho otevře, ne sériový port."},
    {TtyAuxiliaryMajor, 1, 1, "je systémová konzole, ne sériový port."},
    {TtyAuxiliaryMajor, 2, 2,
     "vytvoří při každém otevření nový pseudoterminál, na jehož druhé straně nikdo není; odkazujte "
     "pseudoterminál /dev/pts/N, který někdo drží otevřený (jako serkon-sim --pty)."},
    {TtyAuxiliaryMajor, 3, ~0u, NoSerialPort},
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
    return QString::fromUtf8(NoSerialPort);
}

} // namespace

std::optional<QString> RefusalAsSerialPort(const QString& path)
{
    // Judged by the device's numbers alone: opening a port raises DTR and RTS, which can key an
    // RS-485 transmitter, and each open of /dev/ptmx makes a new pseudo-terminal.
    struct stat info {};
    const QByteArray name = QFile::encodeName(path);
    if (::stat(name.constData(), &info) != 0) {
        if (errno == ENOENT)
            return QStringLiteral("%1 neexistuje.").arg(path);
        return QStringLiteral("%1: %2").arg(path, QString::fromLocal8Bit(std::strerror(errno)));
    }
    if (!S_ISCHR(info.st_mode))
        return QStringLiteral("%1 %2").arg(path, QString::fromUtf8(NoSerialPort));
    if (const std::optional<QString> refusal = RefusalAsTerminal(major(info.st_rdev), minor(info.st_rdev)))
        return QStringLiteral("%1 %2").arg(path, *refusal);
    if (::access(name.constData(), R_OK | W_OK) != 0 && (errno == EACCES || errno == EPERM))
        return QStringLiteral("%1: %2").arg(path, QString::fromUtf8(driverlib::CodeTextUtf8(driverlib::PortNoPermission)));
    return std::nullopt;
}
