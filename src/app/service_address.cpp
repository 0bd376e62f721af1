#include "app/service_address.h"

#include "build_config.h"
#include "upload/net_site.h"

namespace {

// The build refuses a setting that this does not take (CMakeLists.txt).
TNetSite BuiltInSite(const char* setting) { return ParseSite(setting).value(); }

}  // namespace

std::string ServiceAddress(const std::string& path) { return BuiltInSite(PSL_SERVICE_HOST).Url(path); }

std::string CompanySiteAddress() { return BuiltInSite(PSL_COMPANY_SITE).Url("/"); }

std::string CompanySiteCaption() { return BuiltInSite(PSL_COMPANY_SITE).Host; }
