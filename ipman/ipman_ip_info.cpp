#include "ipman/ipman_ip_info.h"

#include "ipman/ipman_msgs.h"
#include "mem_manager.h"
#include "suite/messages/msg.h"
#include "suite/persist/pdb.h"
#include "suite/threads/thr.h"

#include <algorithm>
#include <functional>

MEM_UNIT_INITIALIZER(IPMAN);

char const* IPMAN_NA_STR = "N/A";
char const* IPMAN_UNKNOWN_STR = "Unknown";
char const* IPMAN_ZELD_VERSION_SHORT_STR = "__ZELD_VERSION_SHORT__";
char const* IPMAN_NORVIK_STR = "Norvik";
char const* IPMAN_PLEXA_STR = "plexa";
char const* IPMAN_VWPIM_STR = "vwpim";
char const* IPMAN_PASSED_STR = "Passed";
char const* IPMAN_FAILED_STR = "Failed";
char const* IPMAN_AUTO_STR = "Upgrade";
char const* IPMAN_MANUAL_STR = "Manual";
char const* IPMAN_LAUNCH_PLEXA_STR = "Open Plexa";
char const* IPMAN_LAUNCH_VWPIM_STR = "Open VestaWizard";
char const* IPMAN_BAK_STR = "_BAK";

char const* const IPMAN_IP_INFO_SEGMENT = ".ipinfo";

namespace {

// Guards writing the archive; taken after the inventory's own mutex.
THR_MUTEX ipman_pdb_mutex() {
    static THR_MUTEX mutex = thr_mutex_create();
    return mutex;
}

} // namespace

IPMAN_IP_INFO::IPMAN_IP_INFO()
    : hdb_name_id(0), var_file(IPMAN_NA_STR), tool_version(IPMAN_NA_STR), tool_name(IPMAN_NA_STR),
      release_date(IPMAN_NA_STR), vendor_name(IPMAN_NA_STR), generated_by(IPMAN_NA_STR),
      lic_type(IPMAN_IP_LIC_TYPE_DEFAULT), hpath(IPMAN_NA_STR), file(IPMAN_NA_STR),
      entity(IPMAN_NA_STR), need_regen(false), parent_entity(IPMAN_NA_STR),
      skip_check_need_regen(false) {}

bool IPMAN_IP_INFO::operator==(IPMAN_IP_INFO const& other) const {
    return tool_name == other.tool_name && tool_version == other.tool_version;
}

bool IPMAN_IP_INFO::is_valid() const {
    return tool_name != IPMAN_NA_STR || tool_version != IPMAN_NA_STR || var_file != IPMAN_NA_STR ||
           hpath != IPMAN_NA_STR;
}

uint32_t IPMAN_IP_INFO::class_body_hash() {
    uint32_t h = 133710663u;
    for (int i = 0; i < 6; ++i) {
        h = pdb_type_id_hash(h, "std::string");
    }
    h = pdb_type_id_hash(h, "IPMAN_IP_LIC_TYPE_ENUM");
    for (int i = 0; i < 3; ++i) {
        h = pdb_type_id_hash(h, "std::string");
    }
    h = (h ^ 1u) * 16777619u;
    h = pdb_type_id_hash(h, "std::string");
    return (h ^ 1u) * 16777619u;
}

void IPMAN_IP_INFO::serialize(PDB_SEGMENT& segment) {
    segment.begin_object("IPMAN_IP_INFO", class_body_hash());
    segment.xfr_uint(41, "hdb_name_id", hdb_name_id);
    segment.xfr_string(42, "var_file", var_file);
    segment.xfr_string(43, "tool_version", tool_version);
    segment.xfr_string(44, "tool_name", tool_name);
    segment.xfr_string(45, "release_date", release_date);
    segment.xfr_string(46, "vendor_name", vendor_name);
    segment.xfr_string(47, "generated_by", generated_by);
    uint32_t lic = lic_type;
    segment.xfr_uint(48, "lic_type", lic);
    lic_type = static_cast<IPMAN_IP_LIC_TYPE_ENUM>(lic);
    segment.xfr_string(49, "hpath", hpath);
    segment.xfr_string(50, "file", file);
    segment.xfr_string(51, "entity", entity);
    segment.xfr_bool(52, "need_regen", need_regen);
    segment.xfr_string(53, "parent_entity", parent_entity);
    segment.xfr_bool(54, "skip_check_need_regen", skip_check_need_regen);
    segment.end_object();
}

void IPMAN_IP_INFO_DB::insert_ip_info(IPMAN_IP_INFO info) {
    m_ip_info_vec.push_back(std::move(info));
}

bool IPMAN_IP_INFO_DB::remove_ip_info(IPMAN_IP_INFO const& info) {
    long position = first_by_hpath(info.hpath);
    remove_at(position);
    return position >= 0;
}

bool IPMAN_IP_INFO_DB::remove_ip_info_by_tip_file_and_entity(IPMAN_IP_INFO const& info) {
    long position = first_by_file_and_entity(info.file, info.entity);
    remove_at(position);
    return position >= 0;
}

bool IPMAN_IP_INFO_DB::update_ip_info(IPMAN_IP_INFO const& info) {
    long position = first_by_hpath(info.hpath);
    replace_at(position, info);
    return position >= 0;
}

bool IPMAN_IP_INFO_DB::update_ip_info_by_tip_file(IPMAN_IP_INFO const& info) {
    long position = first_by_file(info.file);
    replace_at(position, info);
    return position >= 0;
}

bool IPMAN_IP_INFO_DB::update_ip_info_by_tip_file_and_entity(IPMAN_IP_INFO const& info) {
    long position = first_by_file_and_entity(info.file, info.entity);
    replace_at(position, info);
    return position >= 0;
}

void IPMAN_IP_INFO_DB::cleanup_db() {
    for (size_t i = m_ip_info_vec.size(); i-- > 0;) {
        IPMAN_IP_INFO const& r = m_ip_info_vec[i];
        if (r.parent_entity != IPMAN_NA_STR && r.skip_check_need_regen) {
            m_ip_info_vec.erase(m_ip_info_vec.begin() + static_cast<long>(i));
        }
    }
    drop_indexes();
}

void IPMAN_IP_INFO_DB::clear_ip_info() {
    m_ip_info_vec.clear();
    drop_indexes();
}

IPMAN_IP_INFO const* IPMAN_IP_INFO_DB::find_by_tip_file(std::string const& file) const {
    long position = first_by_file(file);
    return position < 0 ? nullptr : &m_ip_info_vec[static_cast<size_t>(position)];
}

IPMAN_IP_INFO const*
IPMAN_IP_INFO_DB::find_by_tip_file_and_entity(std::string const& file,
                                              std::string const& entity) const {
    long position = first_by_file_and_entity(file, entity);
    return position < 0 ? nullptr : &m_ip_info_vec[static_cast<size_t>(position)];
}

long IPMAN_IP_INFO_DB::first_by_hpath(std::string const& hpath) const {
    for (size_t i = 0; i < m_ip_info_vec.size(); ++i) {
        if (m_ip_info_vec[i].hpath == hpath) {
            return static_cast<long>(i);
        }
    }
    return -1;
}

long IPMAN_IP_INFO_DB::first_by_file(std::string const& file) const {
    index_added_records();
    auto found = m_by_file.find(file);
    return found == m_by_file.end() ? -1 : static_cast<long>(found->second.first);
}

long IPMAN_IP_INFO_DB::first_by_file_and_entity(std::string const& file,
                                                std::string const& entity) const {
    index_added_records();
    auto of_file = m_by_file.find(file);
    if (of_file == m_by_file.end()) {
        return -1;
    }
    auto found = of_file->second.first_by_entity.find(entity);
    return found == of_file->second.first_by_entity.end() ? -1 : static_cast<long>(found->second);
}

void IPMAN_IP_INFO_DB::replace_at(long position, IPMAN_IP_INFO const& info) {
    if (position < 0) {
        return;
    }
    IPMAN_IP_INFO& record = m_ip_info_vec[static_cast<size_t>(position)];
    bool same_keys = record.file == info.file && record.entity == info.entity;
    record = info;
    if (!same_keys) {
        drop_indexes();
    }
}

void IPMAN_IP_INFO_DB::remove_at(long position) {
    if (position >= 0) {
        m_ip_info_vec.erase(m_ip_info_vec.begin() + position);
        drop_indexes();
    }
}

void IPMAN_IP_INFO_DB::index_added_records() const {
    for (; m_indexed < m_ip_info_vec.size(); ++m_indexed) {
        IPMAN_IP_INFO const& record = m_ip_info_vec[m_indexed];
        auto [of_file, added] = m_by_file.try_emplace(record.file);
        if (added) {
            of_file->second.first = m_indexed;
        }
        of_file->second.first_by_entity.try_emplace(record.entity, m_indexed);
    }
}

void IPMAN_IP_INFO_DB::drop_indexes() {
    m_by_file.clear();
    m_indexed = 0;
}

uint32_t IPMAN_IP_INFO_DB::class_body_hash() {
    return pdb_type_id_hash(0xC4FD5C62u, "std::vector<IPMAN_IP_INFO>");
}

void IPMAN_IP_INFO_DB::serialize(PDB_SEGMENT& segment) {
    segment.begin_object("IPMAN_IP_INFO_DB", class_body_hash());
    uint32_t count = static_cast<uint32_t>(m_ip_info_vec.size());
    segment.xfr_count(21, "m_ip_info_vec", count);
    if (!segment.ok()) {
        if (!segment.is_reading()) {
            IPMAN_INTERNAL_ERROR("size < PDB_MAX_COLLECTION_SIZE");
        }
        return;
    }
    if (segment.is_reading()) {
        // Record by record, so that a damaged count cannot claim memory that
        // the file does not back.
        m_ip_info_vec.clear();
        for (uint32_t i = 0; i < count && segment.ok(); ++i) {
            IPMAN_IP_INFO info;
            info.serialize(segment);
            m_ip_info_vec.push_back(info);
        }
        drop_indexes();
    } else {
        for (IPMAN_IP_INFO& info : m_ip_info_vec) {
            info.serialize(segment);
        }
    }
    segment.end_object();
}

bool IPMAN_IP_INFO_DB::write_database_to_persistent_db(FIO_PATH const& path) {
    thr_mutex_lock(ipman_pdb_mutex());
    ipman_msg_debug("writing db to %s", path.full_path().c_str());
    PDB_SEGMENT writer = PDB_SEGMENT::writer(IPMAN_IP_INFO_SEGMENT);
    serialize(writer);
    bool ok = pdb_write_segment(path.full_path(), IPMAN_IP_INFO_SEGMENT, writer);
    thr_mutex_unlock(ipman_pdb_mutex());
    return ok;
}

bool IPMAN_IP_INFO_DB::read_database_from_persistent_db(FIO_PATH const& path) {
    PDB_SEGMENT reader = pdb_read_segment(path.full_path(), IPMAN_IP_INFO_SEGMENT);
    serialize(reader);
    if (!reader.ok()) {
        clear_ip_info();
    }
    return reader.ok();
}
