#include "ipman/ipman_msgs.h"

#include "mem_manager.h"

#include <string>

MEM_UNIT_INITIALIZER(IPMAN);

namespace {

unsigned const ipman_msg_ids[] = {11133, 11131, 11135, 11136, 11903, 11250, 11837,
                                  11838, 11889, 11890, 11901, 11902, 11904, 11905,
                                  11906, 11907, 11908, 11909, 11910, 11911, 11912,
                                  11913, 11914};
MSG_POST_TYPE const ipman_msg_id_types[] = {
    MSG_POST_TYPE_ERROR,  MSG_POST_TYPE_INFO,  MSG_POST_TYPE_ERROR, MSG_POST_TYPE_ERROR,
    MSG_POST_TYPE_ERROR,  MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO,  MSG_POST_TYPE_INFO,
    MSG_POST_TYPE_ERROR,  MSG_POST_TYPE_ERROR, MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO,
    MSG_POST_TYPE_INFO,   MSG_POST_TYPE_ERROR, MSG_POST_TYPE_ERROR, MSG_POST_TYPE_ERROR,
    MSG_POST_TYPE_ERROR,  MSG_POST_TYPE_ERROR, MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO,
    MSG_POST_TYPE_WARNING, MSG_POST_TYPE_ERROR, MSG_POST_TYPE_INFO};
static_assert(sizeof ipman_msg_ids / sizeof ipman_msg_ids[0] ==
                  sizeof ipman_msg_id_types / sizeof ipman_msg_id_types[0],
              "every identifier has its type");

MSG_ID_REGISTRAR ipman_msg_registrar(ipman_msg_ids, ipman_msg_id_types,
                                     sizeof ipman_msg_ids / sizeof ipman_msg_ids[0]);

template <class MESSAGE, class... ARGS>
MESSAGE* make_message(unsigned id, char const* format, ARGS... args) {
    MESSAGE* message = MEM_NEW(IPMAN, MESSAGE)();
    message->fill_args(format, args...);
    message->set_id(id);
    return message;
}

template <class... ARGS> MSG_E* make_error(unsigned id, char const* format, ARGS... args) {
    return make_message<MSG_E>(id, format, args...);
}

// A warning is never suppressed: what it tells was left undone.
template <class... ARGS> MSG_W* make_warning(unsigned id, char const* format, ARGS... args) {
    return make_message<MSG_W>(id, format, args...);
}

template <class... ARGS> MSG_I* make_info(unsigned id, char const* format, ARGS... args) {
    if (MSG_INDEX::get_default_index()->is_suppressed(id)) {
        return MEM_NEW(IPMAN, MSG_I_NULL)();
    }
    return make_message<MSG_I>(id, format, args...);
}

} // namespace

MSG_E* MSG_IPMAN::E::IPRGEN_FAILED(char const* ip_name, char const* file) {
    return make_error(11133,
                      "IP component %1!s! with file \"%2!s!\" upgrade failed./EIPMAN_IPRGEN_FAILED",
                      ip_name, file);
}

MSG_E* MSG_IPMAN::E::INVALID_DIRECTORY(char const* directory) {
    return make_error(11135,
                      "Directory \"%1!s!\" does not exist or the directory path is "
                      "invalid./EIPMAN_INVALID_DIRECTORY",
                      directory);
}

MSG_E* MSG_IPMAN::E::INVALID_FILE(char const* file) {
    return make_error(
        11136, "File \"%1!s!\" does not exist or the file path is invalid./EIPMAN_INVALID_FILE",
        file);
}

MSG_E* MSG_IPMAN::E::READ_ONLY_FILE(char const* file) {
    return make_error(11903, "File \"%1!s!\" is write-protected./EIPMAN_READ_ONLY_FILE", file);
}

MSG_E* MSG_IPMAN::E::TOO_MANY_OPTIONS() {
    return make_error(11250, "Command has too many specified options./EIPMAN_TOO_MANY_OPTIONS");
}

MSG_E* MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_STANDALONE_IP() {
    return make_error(11889,
                      "IP component upgrade failed./EIPMAN_IPRGEN_MANUAL_REGEN_STANDALONE_IP");
}

MSG_E* MSG_IPMAN::E::IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM(char const* file) {
    return make_error(11890,
                      "You must upgrade the IP component \"%1!s!\" in "
                      "Plexa./EIPMAN_IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM",
                      file);
}

MSG_E* MSG_IPMAN::E::IPRGEN_NOT_VARIATION_FILE(char const* file) {
    return make_error(
        11901, "File %1!s! is not a valid variation file./EIPMAN_IPRGEN_NOT_VARIATION_FILE", file);
}

MSG_E* MSG_IPMAN::E::IPRGEN_PROJECT_LOCKED(char const* directory, char const* reason) {
    return make_error(11905,
                      "IP components of the project in \"%1!s!\" cannot be upgraded now: "
                      "%2!s!./EIPMAN_IPRGEN_PROJECT_LOCKED",
                      directory, reason);
}

MSG_E* MSG_IPMAN::E::IPRGEN_RULE_FILE_INVALID(char const* file, char const* reason) {
    return make_error(
        11906,
        "IP upgrade rule file \"%1!s!\" cannot be used: %2!s!./EIPMAN_IPRGEN_RULE_FILE_INVALID",
        file, reason);
}

MSG_E* MSG_IPMAN::E::IPRGEN_REPORT_NOT_WRITTEN(char const* file) {
    return make_error(
        11907, "IP Upgrade report \"%1!s!\" could not be written./EIPMAN_IPRGEN_REPORT_NOT_WRITTEN",
        file);
}

MSG_E* MSG_IPMAN::E::IPRGEN_BACKUP_FAILED(char const* file, char const* reason) {
    return make_error(11908,
                      "File \"%1!s!\" cannot be backed up: %2!s!./EIPMAN_IPRGEN_BACKUP_FAILED",
                      file, reason);
}

MSG_E* MSG_IPMAN::E::IPRGEN_DIRECTORY_UNREADABLE(char const* directory, char const* reason) {
    return make_error(
        11909, "Directory \"%1!s!\" cannot be read: %2!s!./EIPMAN_IPRGEN_DIRECTORY_UNREADABLE",
        directory, reason);
}

MSG_E* MSG_IPMAN::E::IPRGEN_NOTHING_TO_DO(char const* reason) {
    return make_error(11910,
                      "Nothing to upgrade: %1!s!. Run regentool --help for the "
                      "options./EIPMAN_IPRGEN_NOTHING_TO_DO",
                      reason);
}

MSG_E* MSG_IPMAN::E::IPRGEN_FILE_UNREADABLE(char const* file, char const* reason) {
    return make_error(11913,
                      "File \"%1!s!\" cannot be read: %2!s!. If it is a variation file, its IP "
                      "component is not upgraded./EIPMAN_IPRGEN_FILE_UNREADABLE",
                      file, reason);
}

MSG_W* MSG_IPMAN::W::IPRGEN_DIRECTORY_SKIPPED(char const* directory, char const* reason) {
    return make_warning(11912,
                        "Directory \"%1!s!\" cannot be read: %2!s!. Its IP components are not "
                        "upgraded./WIPMAN_IPRGEN_DIRECTORY_SKIPPED",
                        directory, reason);
}

MSG_I* MSG_IPMAN::I::IPRGEN_SUCCESSFUL(char const* ip_name, char const* file) {
    return make_info(11131,
                     "Completed upgrading IP component %1!s! with file "
                     "\"%2!s!\"./IIPMAN_IPRGEN_SUCCESSFUL",
                     ip_name, file);
}

MSG_I* MSG_IPMAN::I::IPRGEN_START(char const* ip_name, char const* file) {
    return make_info(
        11837, "Started upgrading IP component %1!s! with file \"%2!s!\"./IIPMAN_IPRGEN_START",
        ip_name, file);
}

MSG_I* MSG_IPMAN::I::IPRGEN_NO_REQUIRED_REGEN_IP() {
    return make_info(11838, "No required-upgrade IP components found in the "
                            "project/IIPMAN_IPRGEN_NO_REQUIRED_REGEN_IP");
}

MSG_I* MSG_IPMAN::I::IPRGEN_BACKUP_FILE(char const* file, char const* backup) {
    return make_info(11902, "Backing up file \"%1!s!\" to \"%2!s!\"/IIPMAN_IPRGEN_BACKUP_FILE",
                     file, backup);
}

MSG_I* MSG_IPMAN::I::IPRGEN_RESTORE_FILE(char const* backup, char const* file) {
    return make_info(11904, "Restoring file \"%1!s!\" to \"%2!s!\"/IIPMAN_IPRGEN_RESTORE_FILE",
                     backup, file);
}

MSG_I* MSG_IPMAN::I::IPRGEN_BACKUPS_LEFT_OUT(int count) {
    return make_info(11914,
                     "Backup files of earlier IP upgrades left out of the upgrade: "
                     "%1!d!/IIPMAN_IPRGEN_BACKUPS_LEFT_OUT",
                     count);
}

MSG_I* MSG_IPMAN::I::IPRGEN_FAILURE_REASON(char const* reason) {
    return make_info(11911, "%1!s!/IIPMAN_IPRGEN_FAILURE_REASON", reason);
}

void ipman_post(MSG_BASE* message) {
    message->post();
    delete message;
}

void ipman_msg_debug(char const* format, ...) {
    va_list args;
    va_start(args, format);
    msg_local_vdebug("IPMAN", MSG_D_LEVEL_2, format, args);
    va_end(args);
}
