#include "app/startup_steps.h"

// The version check, the autostart value and the login file are not built yet:
// these steps change nothing, and the start-up goes on as if each succeeded.

bool CheckVersion(TStringList&) { return true; }

void RegisterAutostart() {}

void LoadLogin(TStringList&, TSharedFields&) {}
