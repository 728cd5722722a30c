#include "DynamicLibrary.h"

#include <QDir>
#include <QFileInfo>

#include <windows.h>

LibraryHandle OpenLibrary(const QString& path)
{
    // An empty name would give the program itself, not a library.
    if (path.isEmpty())
        return nullptr;
    // The libraries a driver library needs are looked for beside it first, then beside the
    // program and in the system folder; never in the working folder or along PATH. That search
    // takes a full path with the system's separators only.
    const QString fullPath = QFileInfo(path).absoluteFilePath();
    const std::wstring name = QDir::toNativeSeparators(fullPath).toStdWString();
    return LoadLibraryExW(name.c_str(), nullptr,
                          LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_DEFAULT_DIRS);
}

void* LibraryEntry(LibraryHandle library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(LibraryHandle library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}
