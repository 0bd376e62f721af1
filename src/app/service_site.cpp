// The site this executable is built for. Every executable lists this file
// among its own sources; the tests' twins of the program change a part of it.

#include "app/service_site.h"

#include "build_config.h"
#include "upload/http/addresses.h"

TServiceSite BuiltInServiceSite() {
  // The build refuses a setting that ParseSite does not take (CMakeLists.txt).
  TNetSite service = ParseSite(PSL_SERVICE_HOST).value();
#ifdef PSL_TWIN_SCHEME
  service.Scheme = PSL_TWIN_SCHEME;
#endif
#ifdef PSL_TWIN_HOST
  service.Host = PSL_TWIN_HOST;
#endif
  const TNetSite company = ParseSite(PSL_COMPANY_SITE).value();
  return {service, company.Url("/"), company.Host};
}
