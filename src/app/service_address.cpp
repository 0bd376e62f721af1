#include "app/service_address.h"

#include "build_config.h"

std::string ServiceAddress(const std::string& path) {
  return std::string("http://") + PSL_SERVICE_HOST + path;
}

std::string CompanySiteAddress() { return std::string("http://") + PSL_COMPANY_SITE + "/"; }

std::string CompanySiteCaption() {
  std::string site = PSL_COMPANY_SITE;
  return site.substr(0, site.find(':'));
}
