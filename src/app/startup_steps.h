#pragma once
// The start-up steps that run before the hotkey is registered.

#include "app/service_site.h"
#include "app/shared_fields.h"
#include "toolkit/string_list.h"

// Compares the service's version with the file "ver", asking again for about
// a minute while the service cannot be reached, with the program responsive;
// false when the program must end: the service stayed out of reach, or the
// user chose to end it meanwhile.
bool CheckVersion(TStringList& versionList, const TServiceSite& site);
// The login text from "config.pl".
void LoadLogin(TStringList& configList, TSharedFields& shared);
