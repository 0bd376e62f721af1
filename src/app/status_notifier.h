#pragma once
// One tick of the upload status notifier.

#include <string>

#include "tray/tray_icon.h"

// Shows the error balloon that a status taken from the slot calls for, if any.
void ReportUploadStatus(const std::string& takenStatus, TTrayIcon& trayIcon);
