// A source may include its folder's top.
#include "toolkit/application.h"
