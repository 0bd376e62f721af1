#pragma once
// One tick of the upload status notifier.

#include "app/shared_fields.h"
#include "tray/tray_icon.h"

// Takes the status slot and shows the matching error balloon, if any.
void ReportUploadStatus(TSharedFields& shared, TTrayIcon& trayIcon);
