#pragma once
// A multipart form posted by the HTTP client.

#include <string>

#include "upload/net_http.h"
#include "upload/net_multipart.h"

// Sets the request's Content-Type to the form's and posts the form.
std::string PostForm(TNetHTTP& client, const std::string& url, TNetMultiPartFormDataStream& form);
