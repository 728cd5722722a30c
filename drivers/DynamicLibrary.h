// Loading a shared library by path, looking up an exported name, unloading it.
#pragma once

#include <QString>

using LibraryHandle = void*;

LibraryHandle OpenLibrary(const QString& path);
void* LibraryEntry(LibraryHandle library, const char* name);
void CloseLibrary(LibraryHandle library);
