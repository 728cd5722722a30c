// Text between Qt and the Win32 API: paths for the wide-character calls, and the system's own
// message for an error code.
#pragma once

#include <QString>

#include <string>

// The path with the system's separators, as the W calls take it. An absolute path too long for
// the classic limit (MAX_PATH, less room for a file name) gets the "\\?\" form, which lifts it.
std::wstring NativePath(const QString& path);

// The path as Qt writes it ('/' separators), from a path the system gave.
QString PathFromNative(const wchar_t* path);

// The system's message for an error code (GetLastError), in the user's language, without the
// line end and the full stop; the code's number where the system has no text for it.
QString SystemMessage(unsigned long error);

// The reason given for a folder where a file is expected, for which the system has no message.
inline const QString IsAFolder = QStringLiteral("je to složka");
