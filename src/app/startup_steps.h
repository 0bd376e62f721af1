#pragma once
// The start-up steps that run before the hotkey is registered.

#include "app/shared_fields.h"
#include "toolkit/string_list.h"

// Compares the service's version with the file "ver"; false when the program
// must end because the service cannot be reached.
bool CheckVersion(TStringList& versionList);
// The login text from "config.pl".
void LoadLogin(TStringList& configList, TSharedFields& shared);
