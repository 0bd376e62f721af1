#pragma once
// Reaches up to the top of its own folder.
#include "toolkit/application.h"
#include "toolkit/handles.h"
