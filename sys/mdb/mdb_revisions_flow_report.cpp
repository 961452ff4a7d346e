#include "sys/mdb/mdb_revisions_flow_report.h"

#include <fstream>
#include <vector>

namespace {

// Whether the first ten characters of `line` are those of `key`.
bool starts_like(std::string const& line, char const* key) {
    return line.compare(0, 10, key, 0, 10) == 0;
}

// The third ";"-separated part of a table line "; key ; value ;", when the
// line holds a ";" after its first two characters that is not its last one.
bool table_value(std::string const& line, std::string* value) {
    size_t first = line.find(';', 2);
    if (first == std::string::npos || first == line.rfind(';')) {
        return false;
    }
    std::vector<std::string> parts;
    for (size_t pos = 0;;) {
        size_t end = line.find(';', pos);
        parts.push_back(line.substr(pos, end == std::string::npos ? end : end - pos));
        if (end == std::string::npos) {
            break;
        }
        pos = end + 1;
    }
    if (parts.size() < 3) {
        return false;
    }
    *value = parts[2];
    return true;
}

} // namespace

bool mdb_read_flow_report(std::string const& path, MDB_FLOW_REPORT* out) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    struct KEY {
        char const* text;
        std::string* value;
    } const keys[] = {{"; Flow Status", &out->flow_status},
                      {"; Met timing", &out->met_timing},
                      {"; Timing Models", &out->timing_models}};
    bool in_summary = false;
    std::string line;
    while (out->flow_status.empty() || out->met_timing.empty() || out->timing_models.empty()) {
        in >> std::ws;
        if (!std::getline(in, line)) {
            break;
        }
        if (!in_summary) {
            in_summary = starts_like(line, "; Flow Summary");
            continue;
        }
        for (KEY const& key : keys) {
            if (starts_like(line, key.text)) {
                table_value(line, key.value);
            }
        }
    }
    return true;
}
