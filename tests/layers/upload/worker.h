#pragma once
// Reaches up into the app, and the tray reaches across into the capture.
#include "app/shared_fields.h"
#include "toolkit/thread.h"
#include "upload/http/http_client.h"
