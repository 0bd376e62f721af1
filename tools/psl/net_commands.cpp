#include "commands.h"

int RunVersionCommand(const Args&) { return UsageError(); }
int RunUploadCommand(const Args&) { return UsageError(); }
