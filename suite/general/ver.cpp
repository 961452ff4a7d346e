#include "suite/general/ver.h"

#include "suite/general/gen.h"

char const* ver_get_version() { return GEN_VERSION; }
bool ver_is_service_pack() { return false; }
char const* ver_get_service_pack() { return ""; }
