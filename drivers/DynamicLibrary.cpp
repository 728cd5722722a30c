#include "DynamicLibrary.h"

#ifdef _WIN32
#include <windows.h>

LibraryHandle OpenLibrary(const QString& path)
{
    if (path.isEmpty())
        return nullptr;
    return LoadLibraryW(reinterpret_cast<const wchar_t*>(path.utf16()));
}

void* LibraryEntry(LibraryHandle library, const char* name)
{
    return reinterpret_cast<void*>(GetProcAddress(static_cast<HMODULE>(library), name));
}

void CloseLibrary(LibraryHandle library)
{
    FreeLibrary(static_cast<HMODULE>(library));
}

#else
#include <dlfcn.h>

LibraryHandle OpenLibrary(const QString& path)
{
    // An empty name would give the program itself, not a library.
    if (path.isEmpty())
        return nullptr;
    return dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
}

void* LibraryEntry(LibraryHandle library, const char* name)
{
    return dlsym(library, name);
}

void CloseLibrary(LibraryHandle library)
{
    dlclose(library);
}
#endif
