#include "upload/net_post_form.h"

std::string PostForm(TNetHTTP& client, const std::string& url, TNetMultiPartFormDataStream& form) {
  client.Request().ContentType = form.FormContentType();
  return client.HttpPostText(url, form);
}
