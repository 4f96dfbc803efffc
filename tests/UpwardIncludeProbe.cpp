// Built by a test as part of the render layer, where the app layer above it
// must not be reachable: this include has to fail.
#include "app/RenderScheduler.h"
