#include "TestDrivers.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

int MappedCopies(const QString& libraryPath)
{
    // A library is mapped once however often it is loaded; the loader counts the references.
    const QString fullPath = QDir::toNativeSeparators(QFileInfo(libraryPath).absoluteFilePath());
    HMODULE module = nullptr;
    return GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                              fullPath.toStdWString().c_str(), &module)
        ? 1
        : 0;
}
