// Whether a path that ports link is to make a link to is a serial port, told without opening it.
#pragma once

#include <QString>

#include <optional>

// Why the path is not a serial port, nothing when it is one: told by stat of the device it
// leads to, which is never opened. A serial port is a terminal device of sysfs's tty class; the
// slave side of a pseudo-terminal counts as one, so that serkon-sim's can be linked. /dev/tty,
// /dev/console, /dev/ptmx and the virtual consoles /dev/tty0 to /dev/tty63 are refused, each
// with its reason, and so is a port the user may not read and write.
std::optional<QString> RefusalAsSerialPort(const QString& path);
