#pragma once
// Subcommands of the psl tool. Each returns the process exit code:
// 0 success, 1 failure (reported as "ClassName: message"), 2 bad usage,
// 3 the service refused the upload.

#include <string>
#include <vector>

using Args = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

int RunVersionCommand(const Args& args);
int RunUploadCommand(const Args& args);
int RunEncodeCommand(const Args& args);

// Prints the usage text on standard error and returns kExitUsage.
int UsageError();
