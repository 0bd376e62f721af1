#pragma once
// What the start-up leaves and takes beside the program: the per-user
// autostart value, with which the program starts at every logon, and the
// user's login, the first line of the file "config.pl".

#include <string>

#include "app/shared_fields.h"
#include "toolkit/string_list.h"

// A missing file leaves the login empty; a file without any line raises
// EListError, one that cannot be read EFOpenError.
void LoadLoginFrom(const std::string& path, TStringList& configList, TSharedFields& shared);

#ifdef _WIN32
// Raises ERegistryException "Failed to set data for 'PondixScreenLoader'".
void RegisterAutostart();
#endif
