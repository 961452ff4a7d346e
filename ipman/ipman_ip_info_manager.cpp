#include "ipman/ipman_ip_info_manager.h"

#include "ipman/ipman_iprgen_manager.h"
#include "mem_manager.h"
#include "suite/fileio/fio.h"

#include <filesystem>
#include <fstream>
#include <vector>

MEM_UNIT_INITIALIZER(IPMAN);

IPMAN_IP_INFO_MANAGER* IPMAN_IP_INFO_MANAGER::ip_info_mgr = nullptr;

namespace {

char const* const RETRIEVAL_INFO_INSTANCE = "-- Retrieval info: <instance";

void search_variation_files(std::string const& directory,
                            std::vector<std::string> const& extensions,
                            IPMAN_IPRGEN_MANAGER const& iprgen_mgr, std::list<std::string>* out) {
    std::vector<FIO_DIRECTORY_ENTRY> entries;
    FIO_FILE_SYSTEM::list_directory(FIO_PATH(directory), entries);
    for (FIO_DIRECTORY_ENTRY const& entry : entries) {
        FIO_PATH path(directory, entry.name);
        if (entry.is_directory) {
            search_variation_files(path.path(), extensions, iprgen_mgr, out);
            continue;
        }
        std::string extension = path.extension();
        extension = extension.empty() ? extension : extension.substr(1);
        for (std::string const& wanted : extensions) {
            if (extension == wanted && iprgen_mgr.is_vestawizard_file(path)) {
                out->push_back(path.path());
                break;
            }
        }
    }
}

} // namespace

IPMAN_IP_INFO_MANAGER* IPMAN_IP_INFO_MANAGER::get_ip_info_manager() {
    if (ip_info_mgr == nullptr) {
        ip_info_mgr = MEM_NEW(IPMAN, IPMAN_IP_INFO_MANAGER)();
    }
    return ip_info_mgr;
}

void IPMAN_IP_INFO_MANAGER::get_variation_file_by_dir(std::string const& dir,
                                                      std::list<std::string>* out) {
    if (!FIO_FILE_SYSTEM::exists(FIO_PATH(dir))) {
        return;
    }
    // Paths are reported from the directory's canonical form, as the directory
    // would be named after changing into it; the process's current directory is
    // left alone.
    std::error_code ec;
    std::filesystem::path root = std::filesystem::canonical(dir, ec);
    if (ec || !FIO_FILE_SYSTEM::is_directory(FIO_PATH(root.string()))) {
        return;
    }
    std::vector<std::string> extensions;
    for (int type :
         {FIO_EXTENSION_TYPE_SYSTEM_VERILOG, FIO_EXTENSION_TYPE_VHDL, FIO_EXTENSION_TYPE_VERILOG}) {
        extensions.push_back(FIO_EXTENSION_TYPE_INFO::get_extension_string(type).substr(1));
    }
    search_variation_files(root.string(), extensions, *IPMAN_IPRGEN_MANAGER::get_iprgen_manager(),
                           out);
}

void IPMAN_IP_INFO_MANAGER::extract_ip_name_and_version_from_file(std::string const& file,
                                                                  std::string& name,
                                                                  std::string& version) {
    if (file.empty() || !FIO_FILE_SYSTEM::exists(FIO_PATH(file))) {
        return;
    }
    std::ifstream in(file);
    std::string line;
    while (in >> std::ws && std::getline(in, line)) {
        if (line.find(RETRIEVAL_INFO_INSTANCE) == std::string::npos) {
            continue;
        }
        if (line.find("entity-name") != std::string::npos) {
            name = get_variation_file_retrieval_info_tag_value(line, "entity-name");
        }
        if (line.find("version") != std::string::npos) {
            version = get_variation_file_retrieval_info_tag_value(line, "version");
        }
    }
}

std::string
IPMAN_IP_INFO_MANAGER::get_variation_file_retrieval_info_tag_value(std::string const& line,
                                                                   std::string const& tag) {
    size_t at = line.empty() || tag.empty() ? std::string::npos : line.find(tag);
    if (at == std::string::npos) {
        return std::string();
    }
    size_t start = at + tag.size() + 2;
    if (start >= line.size()) {
        return std::string();
    }
    size_t end = line.find('"', start);
    return line.substr(start, end == std::string::npos ? end : end - start);
}
