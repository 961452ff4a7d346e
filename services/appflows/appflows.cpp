#include "services/appflows/appflows.h"

#include "suite/flow/flow.h"

bool appflows_run(int flow, std::vector<std::string> const& arguments, std::string* message) {
    switch (flow) {
    case FSTR_FLOW_BOUNDARY_SCAN_FILE:
        return appflow_write_boundary_scan_file(arguments, message);
    case FSTR_FLOW_EARLY_POWER_ESTIMATION:
        return appflow_write_early_power_file(arguments, message);
    default:
        *message = "Flow " + std::to_string(flow) + " is not available.";
        return false;
    }
}
