#include "ipman/ipman_tcl_package.h"

#include "ipman/ipman_msgs.h"
#include "ipman/ipman_tcl_impl.h"
#include "mem_manager.h"
#include "suite/messages/msg.h"
#include "suite/tclglue/atcl.h"
#include "suite/tclglue/atcl_package.h"

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

char const* const PACKAGE_NAME = "::tessaly::ipman";
char const* const PACKAGE_VERSION = "1.0";

ATCL_CALLBACK const IPMAN_CALLBACKS[] = {
    {ipman_regenerate_ip, "regenerate_ip"},
    {ipman_list_ip_cores, "list_ip_cores"},
};

// Registers the package with the Tcl glue when the library is loaded.
class IPMAN_AUTO_IPMAN_TCL_INIT {
public:
    IPMAN_AUTO_IPMAN_TCL_INIT() {
        if (!atcl_is_dynamically_loading()) {
            Tcl_StaticPackage(nullptr, "Ipman", Ipman_Init, nullptr);
        }
    }
};
IPMAN_AUTO_IPMAN_TCL_INIT const ipman_auto_ipman_tcl_init;

} // namespace

int Ipman_Init(Tcl_Interp*) {
    return ipman_ipman_register_tcl() ? TCL_OK : TCL_ERROR;
}

int Ipman_Unload(Tcl_Interp*, int) {
    ipman_ipman_unregister_tcl();
    return TCL_OK;
}

bool ipman_ipman_register_tcl() {
    atcl_begin_package_setup(PACKAGE_NAME, PACKAGE_VERSION, nullptr, nullptr, false);
    bool registered = atcl_register_callbacks(IPMAN_CALLBACKS,
                                              sizeof IPMAN_CALLBACKS / sizeof IPMAN_CALLBACKS[0]);
    atcl_end_package_setup();
    Tcl_Interp* interp = atcl_get_interpreter();
    if (interp == nullptr) {
        IPMAN_INTERNAL_ERROR("A Tcl interpreter must exist before registering ::tessaly::ipman!");
        return false;
    }
    return registered && Tcl_PkgProvide(interp, PACKAGE_NAME, PACKAGE_VERSION) == TCL_OK;
}

void ipman_ipman_unregister_tcl() {
    Tcl_Interp* interp = atcl_get_interpreter();
    if (interp == nullptr) {
        IPMAN_INTERNAL_ERROR("A Tcl interpreter must exist before unregistering ::tessaly::ipman!");
        return;
    }
    atcl_begin_package_setup(PACKAGE_NAME, PACKAGE_VERSION, "ipmanager", "ipman_ipman", true);
    atcl_unregister_package(interp);
    atcl_end_package_setup();
}
