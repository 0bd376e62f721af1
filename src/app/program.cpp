// Program entry: the hidden main window, the overlay, the message loop.

#include <windows.h>

#include "app/main_form.h"
#include "toolkit/application.h"
#include "tray/tray_icon_handler.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RegisterTaskbarCreatedMessage();
  TApplication application;
  application.Initialize();
  application.CreateForm(Form1);
  application.Run();
  return 0;
}
