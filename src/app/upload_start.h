#pragma once
// Starts the upload of the picture that a grab has just written.

#include <string>

// Keeps the path as the latest capture in the shared fields and launches one
// worker for it, with the login, the upload address and the main window's
// tray balloons, shared fields and the clipboard for its verdict. The status
// notifier watches until the worker is done.
void StartUploadWorker(const std::string& path);
