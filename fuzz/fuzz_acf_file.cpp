// Any bytes as an older sectioned settings file of any kind: scanning, parsing,
// the section and clash rules, the lookups and the report of refused
// assignments must hold for any input. The first byte picks the file kind.
#include "acf_assignment.h"
#include "formats/acf_file.h"
#include "formats/acf_section.h"
#include "records/acf_assignment_factory.h"
#include "store/acf_manager_storage_null.h"
#include "suite/messages/msg.h"

#include <cstdint>
#include <cstdio>
#include <fstream>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    static ACF_MANAGER_STORAGE_NULL storage;
    static ACF_ASSIGNMENT_FACTORY factory(&storage);
    static std::string const path = "/tmp/fuzz_acf_file_" + std::to_string(getpid()) + ".txt";
    if (size == 0) {
        return 0;
    }
    ACF_FILE_TYPE_ENUM const kind = static_cast<ACF_FILE_TYPE_ENUM>(data[0] % 5 + 1);
    {
        std::ofstream out(path, std::ios::binary | std::ios::trunc);
        out.write(reinterpret_cast<char const*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    ACF_FILE* file = ACF_FILE::get_file(path.c_str(), kind, &factory);
    if (file == nullptr) {
        return 0;
    }
    size_t seen = 0;
    for (ACF_SECTION* section : *file->find(ACF_SECTION_TYPE_NONE, nullptr)) {
        seen += file->find(section->get_section_type(), section->get_identifier())->size();
        for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE)) {
            std::string command;
            record->get_variable_tcl_set_command(&command, nullptr);
            seen += command.size();
            seen += section->find_first(record->get_type()) != nullptr;
        }
    }
    MSG_I report;
    file->add_illegal_assignments_messages(&report);
    delete file;
    std::remove(path.c_str());
    return seen == static_cast<size_t>(-1) ? 1 : 0;
}
