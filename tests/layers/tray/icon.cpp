#include "capture/screen_grab.h"
#include "tray/tray_icon.h"
