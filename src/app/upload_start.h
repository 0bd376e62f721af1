#pragma once
// Starts the upload of the picture that a grab has just written, or of one
// that waits to be sent again.

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "upload/http/addresses.h"
#include "app/shared_fields.h"
#include "app/waiting_folder.h"
#include "toolkit/call_gate.h"
#include "tray/tray_icon.h"

// What an upload needs of the main window, handed in by it.
struct TUploadContext {
  TNetURI UploadAddress;
  // Shared with the main window: a worker still running at exit writes into
  // fields that still exist, and its balloons through the closed gate go nowhere.
  std::shared_ptr<TSharedFields> Shared;
  std::shared_ptr<TCallGate> TrayGate;
  TTrayIcon* TrayIcon = nullptr;
  std::shared_ptr<TWaitingFolder> Waiting;
  // Keeps the status notifier looking until the worker is done.
  std::function<void()> WatchStatus;
};

// Keeps the path as the latest capture in the shared fields and launches one
// worker for it, with the login, the upload address, the tray's balloons, the
// shared fields and the clipboard for its verdict.
void StartUploadWorker(const TUploadContext& context, const std::string& path);

// Launches one worker for a waiting picture (ReportLateOutcome).
void StartResendWorker(const TUploadContext& context, const std::string& path,
                       std::optional<std::uint32_t> clipboard);
