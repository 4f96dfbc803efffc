// Built by a test as part of the render layer, where the session layer above it
// must not be reachable: this include has to fail.
#include "session/RenderScheduler.h"
