#include "suite/general/ver.h"

#include "suite/general/gen.h"

char const* ver_get_version() {
    return GEN_VERSION;
}
bool ver_is_service_pack() {
    return false;
}
char const* ver_get_service_pack() {
    return "";
}

char const* ver_get_full_version_for_reports(bool) {
    return GEN_FULL_VERSION;
}

bool ver_is_beta() {
    return false;
}
