// Code the program loads at run time comes from the Windows system
// directory only, never from the program's folder or the current directory,
// where anybody may have put a library of the same name.
#pragma once

#include <windows.h>

namespace sysops {

// Loads "<system directory>\name" by its full path, its own dependencies
// resolved from that folder; null when it cannot be loaded.
HMODULE LoadSystemLibrary(const char* name);

// Loads `path` by its full path, its own dependencies resolved from its
// folder; null when it cannot be loaded.
HMODULE LoadLibraryByPath(const char* path);

// A function that only some Windows versions export, looked up by name:
// null when this Windows lacks it.
template <typename Fn>
Fn LookUp(HMODULE library, const char* name)
{
    if (library == nullptr)
        return nullptr;
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(library, name)));
}

// The same, in a library the process has loaded already (kernel32, advapi32).
template <typename Fn>
Fn LookUpLoaded(const char* library, const char* name)
{
    return LookUp<Fn>(GetModuleHandleA(library), name);
}

// Takes the current directory out of the search for libraries, where the
// system offers that (SetDllDirectoryA, XP SP1 and later).
void RemoveCurrentDirectoryFromLibrarySearch();

}  // namespace sysops
