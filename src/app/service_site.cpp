#include "app/service_site.h"

#include "build_config.h"
#include "upload/net_site.h"

TServiceSite BuiltInServiceSite() {
  // The build refuses a setting that ParseSite does not take (CMakeLists.txt).
  const TNetSite service = ParseSite(PSL_SERVICE_HOST).value();
  const TNetSite company = ParseSite(PSL_COMPANY_SITE).value();
  return {service.Url(""), company.Url("/"), company.Host};
}
