// The socket layer reaches up into the HTTP exchange over it.
#include "upload/http/http_client.h"
#include "upload/socket/exceptions.h"
