// Any bytes as a revision settings file: the reader must read every line,
// whatever it holds, without fault.
#include "acf_manager_reader.h"
#include "suite/messages/msg.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <list>
#include <string>

namespace {

// A folder of its own, so that relative `source` names find only the input.
std::string const& input_path() {
    static std::string path = [] {
        char pattern[] = "/tmp/fuzz_acf_manager_reader_XXXXXX";
        if (mkdtemp(pattern) == nullptr) {
            std::abort();
        }
        return std::string(pattern) + "/input.tsf";
    }();
    return path;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size) {
    std::string const& path = input_path();
    FILE* file = std::fopen(path.c_str(), "wb");
    if (file == nullptr) {
        return 0;
    }
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    bool quiet = size > 0 && (data[0] & 1) != 0;
    ACF_MANAGER_READER reader;
    std::list<std::string> included;
    reader.read_file(path.c_str(), quiet, &included, false, false);
    size_t total = 0;
    for (ACF_MGR_ASGN_LINE const* line : reader.get_assignment_lines()) {
        char const* texts[] = {
            line->get_text(),        line->get_name(),
            line->get_value(),       line->get_from(),
            line->get_to(),          line->get_entity(),
            line->get_comment(),     line->get_section_id(),
            line->get_source_file(), reader.get_file_name(line->get_file_index())};
        for (char const* text : texts) {
            total += text != nullptr ? std::strlen(text) : 0;
        }
        for (ACF_MGR_ASGN_LINE::ARGUMENT const& argument : line->get_arguments()) {
            total += std::strlen(argument.value);
        }
    }
    std::list<MSG_POST*> messages;
    reader.get_post_messages(&messages);
    for (MSG_POST* message : messages) {
        total += message->get_text().size();
        delete message;
    }
    return total == static_cast<size_t>(-1) ? 1 : 0;
}
