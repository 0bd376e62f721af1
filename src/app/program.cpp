// Program entry: the hidden main window, the overlay, the message loop.

#include <windows.h>

#include "app/main_form.h"
#include "app/service_site.h"
#include "capture/overlay_form.h"
#include "toolkit/application.h"
#include "toolkit/system_library.h"
#include "tray/tray_icon_handler.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  LoadLibrariesFromSystemFolderOnly();
  RegisterTaskbarCreatedMessage();
  TApplication application;
  application.Initialize();
  application.CreateForm(Form1, BuiltInServiceSite());
  application.CreateForm(Form3);
  Form3->OnGrabbed = [](const std::string& path) { Form1->UploadPicture(path); };
  application.Run();
  return 0;
}
