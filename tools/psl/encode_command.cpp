#include "commands.h"

int RunEncodeCommand(const Args&) { return UsageError(); }
