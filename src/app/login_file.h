#pragma once
// The user's login, the first line of the file "config.pl".

#include <string>

#include "app/shared_fields.h"
#include "toolkit/string_list.h"

// A missing file leaves the login empty; a file without any line raises
// EListError, one that cannot be read EFOpenError.
void LoadLoginFrom(const std::string& path, TStringList& configList, TSharedFields& shared);
