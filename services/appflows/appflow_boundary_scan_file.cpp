// Flow 16: the boundary-scan description file of a device.
#include "services/appflows/appflows.h"

#include "acf_manager.h"
#include "suite/devicedb/dev.h"
#include "suite/fileio/fio.h"

#include <algorithm>
#include <filesystem>
#include <system_error>

namespace {

char const OUTPUT_DIRECTORY_OPTION[] = "--output_directory=";

struct REQUEST {
    std::string device;
    std::string revision; // post-configuration only
    std::string output_directory;
};

bool refuse(std::string* message, std::string const& why) {
    *message = "Can't write the boundary-scan file: " + why;
    return false;
}

// The words from `first` on: an output-directory option at most.
bool read_options(std::vector<std::string> const& arguments, size_t first, REQUEST* request,
                  std::string* message) {
    size_t const prefix = sizeof OUTPUT_DIRECTORY_OPTION - 1;
    for (size_t i = first; i < arguments.size(); ++i) {
        if (arguments[i].compare(0, prefix, OUTPUT_DIRECTORY_OPTION) != 0) {
            return refuse(message, "unknown option " + arguments[i]);
        }
        request->output_directory = arguments[i].substr(prefix);
    }
    return true;
}

// A post-configuration request names the open project and its active revision.
bool read_post_configuration(std::vector<std::string> const& arguments, REQUEST* request,
                             std::string* message) {
    std::vector<std::string> const fixed = {"--board_boundary_scan", "--format=bsdl",
                                            "--bsdl_type=POST_CONFIG"};
    if (arguments.size() < 3 + fixed.size() || arguments[1] != "-c" ||
        !std::equal(fixed.begin(), fixed.end(), arguments.begin() + 3)) {
        return refuse(message, "expected <project> -c <revision> --board_boundary_scan "
                               "--format=bsdl --bsdl_type=POST_CONFIG");
    }
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    if (!acf_mgr->is_project_open() || arguments[0] != acf_mgr->get_project_name() ||
        arguments[2] != acf_mgr->get_active_revision_name()) {
        return refuse(message, "revision " + arguments[2] + " of project " + arguments[0] +
                                   " is not the open revision");
    }
    request->revision = arguments[2];
    request->device = acf_get_global_setting_text(ACF_VARIABLE_TYPE_DEVICE);
    return read_options(arguments, 3 + fixed.size(), request, message);
}

bool read_request(std::vector<std::string> const& arguments, REQUEST* request,
                  std::string* message) {
    if (!arguments.empty() && arguments[0] == "--bsdl") {
        if (arguments.size() < 2) {
            return refuse(message, "--bsdl names no device");
        }
        request->device = arguments[1];
        return read_options(arguments, 2, request, message);
    }
    if (arguments.empty()) {
        return refuse(message, "no arguments");
    }
    return read_post_configuration(arguments, request, message);
}

std::string default_output_directory() {
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    return acf_mgr->is_project_open() ? acf_mgr->get_project_path() : ".";
}

std::string describe(DEV_PART_ENUM part, REQUEST const& request) {
    std::string name = dstr_get_user_string(part);
    std::string configuration = request.revision.empty()
                                    ? "pre-configuration"
                                    : "post-configuration of revision " + request.revision;
    return "-- Boundary-scan description file\n"
           "-- Device: " +
           name + "\n-- Package: " + DEV_PART_MANAGER::get_package_of(part) +
           "\n-- Pin count: " + DEV_PART_MANAGER::get_pin_count_of(part) +
           "\n-- Configuration: " + configuration + "\n";
}

} // namespace

bool appflow_write_boundary_scan_file(std::vector<std::string> const& arguments,
                                      std::string* message) {
    REQUEST request;
    if (!read_request(arguments, &request, message)) {
        return false;
    }
    if (!dstr_exists_dev_part_enum_by_string(request.device.c_str())) {
        return refuse(message, "unknown device \"" + request.device + "\"");
    }
    DEV_PART_ENUM part = dstr_get_dev_part_enum_by_string(request.device.c_str());
    std::string directory =
        request.output_directory.empty() ? default_output_directory() : request.output_directory;
    std::error_code error;
    std::filesystem::create_directories(directory, error);
    if (error) {
        return refuse(message, "can't make directory " + directory + ": " + error.message());
    }
    std::string name = request.revision.empty() ? dstr_get_user_string(part) : request.revision;
    FIO_PATH file(FIO_PATH(directory, name + ".bsd").full_path());
    std::string why;
    if (!FIO_FILE_SYSTEM::write_file_atomically(file, describe(part, request), &why)) {
        return refuse(message, file.path() + ": " + why);
    }
    *message = "Wrote boundary-scan file " + file.path();
    return true;
}
