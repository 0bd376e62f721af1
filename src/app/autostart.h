#pragma once
// The per-user autostart value: the program starts at every logon.

// Raises ERegistryException "Failed to set data for 'PondixScreenLoader'".
void RegisterAutostart();
