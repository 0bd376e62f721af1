#pragma once
// Subcommands of the psl tool. Each returns the process exit code (the
// usage text lists them): 0 success, 1 failure, 2 bad usage, 3 the service
// refused the upload.

#include <string>
#include <vector>

#include "toolkit/exceptions.h"

using Args = std::vector<std::string>;

constexpr int kExitOk = 0;
constexpr int kExitFailure = 1;
constexpr int kExitUsage = 2;
constexpr int kExitRefused = 3;

int RunVersionCommand(const Args& args);
int RunUploadCommand(const Args& args);
int RunEncodeCommand(const Args& args);

// What was wrong, then the usage text, on standard error; returns kExitUsage.
int UsageError(const std::string& problem);
// One line on standard error, "SUBJECT: ClassName: message", naming the file
// or host the failure concerns; returns kExitFailure.
int ReportFailure(const std::string& subject, const Exception& e);
