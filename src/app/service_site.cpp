#include "app/service_site.h"

#include "app/service_address.h"

TServiceSite BuiltInServiceSite() { return {ServiceAddress(""), CompanySiteAddress(), CompanySiteCaption()}; }
