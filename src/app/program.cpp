// Program entry: the hidden main window, the overlay, the message loop.

#include <windows.h>

#include "app/main_form.h"
#include "app/upload_start.h"
#include "capture/overlay_form.h"
#include "toolkit/application.h"
#include "tray/tray_icon_handler.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RegisterTaskbarCreatedMessage();
  TApplication application;
  application.Initialize();
  application.CreateForm(Form1);
  TForm3* overlay = nullptr;
  application.CreateForm(overlay);
  overlay->OnGrabbed = StartUploadWorker;
  Form3 = overlay;
  application.Run();
  return 0;
}
