#include "DynamicLibrary.h"

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
