#pragma once
// Starts the upload of the picture that a grab has just written.

// One worker per grab, with the main window's shared fields, the upload
// address, the tray icon's balloons and the clipboard.
void StartUploadWorker();
