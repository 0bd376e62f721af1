#pragma once
// Libraries of the system, from the system folder alone. The program's own
// folder, and a Downloads folder it may be run from, can be written by
// anything the user runs: a DLL named like a system library and put there
// must never run inside us.

#include "toolkit/handles.h"

// From here on every library loaded by name, ours and the system's own, is
// looked for in the system folder only. The first thing a program does.
void LoadLibrariesFromSystemFolderOnly();

// The system's library of that name ("ws2_32.dll"); empty when it has none.
UniqueModule LoadSystemLibrary(const char* name);

// Sets slot to the library's function of that name; false, and slot empty,
// when there is none.
template <typename F>
bool BindFunction(HMODULE library, F& slot, const char* name) {
  FARPROC address = library != nullptr ? GetProcAddress(library, name) : nullptr;
  slot = reinterpret_cast<F>(reinterpret_cast<void*>(address));
  return address != nullptr;
}
