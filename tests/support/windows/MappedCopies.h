// Whether a library file is loaded into this process: 1 or 0, since Windows maps a library once
// however often it is loaded and counts the references instead.
#pragma once

#include <QDir>
#include <QFileInfo>
#include <QString>

#include <windows.h>

inline int MappedCopies(const QString& libraryPath)
{
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(libraryPath).absoluteFilePath());
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              fullPath.toStdWString().c_str(), &module)
        ? 1
        : 0;
}
