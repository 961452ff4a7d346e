// The IP manager's user messages, one factory per message, and its debug channel.
// A factory returns a new message; the caller posts it and deletes it.
#pragma once

#include "suite/messages/msg.h"

class MSG_IPMAN : public MSG_DEBUG_FACTORY<MSG_IPMAN> {
public:
    // The component of its debug messages (MSG_IPMAN::DEBUG_MSG).
    static constexpr char const* debug_component = "IPMAN";

    // Errors.
    class E {
    public:
        static MSG_E* IPRGEN_FAILED(char const* ip_name, char const* file);
        static MSG_E* INVALID_DIRECTORY(char const* directory);
        static MSG_E* INVALID_FILE(char const* file);
        static MSG_E* READ_ONLY_FILE(char const* file);
        static MSG_E* TOO_MANY_OPTIONS();
        static MSG_E* IPRGEN_MANUAL_REGEN_STANDALONE_IP();
        static MSG_E* IPRGEN_MANUAL_REGEN_PLEXA_SYSTEM(char const* file);
        static MSG_E* IPRGEN_NOT_VARIATION_FILE(char const* file);
        static MSG_E* IPRGEN_PROJECT_LOCKED(char const* directory, char const* reason);
        static MSG_E* IPRGEN_RULE_FILE_INVALID(char const* file, char const* reason);
        static MSG_E* IPRGEN_REPORT_NOT_WRITTEN(char const* file);
        static MSG_E* IPRGEN_BACKUP_FAILED(char const* file, char const* reason);
        static MSG_E* IPRGEN_DIRECTORY_UNREADABLE(char const* directory, char const* reason);
        static MSG_E* IPRGEN_NOTHING_TO_DO(char const* reason);
        static MSG_E* IPRGEN_FILE_UNREADABLE(char const* file, char const* reason);
    };
    // Warnings.
    class W {
    public:
        static MSG_W* IPRGEN_DIRECTORY_SKIPPED(char const* directory, char const* reason);
    };
    // Information; a suppressed one comes back as a null message that posts nothing.
    class I {
    public:
        static MSG_I* IPRGEN_SUCCESSFUL(char const* ip_name, char const* file);
        static MSG_I* IPRGEN_START(char const* ip_name, char const* file);
        static MSG_I* IPRGEN_NO_REQUIRED_REGEN_IP();
        static MSG_I* IPRGEN_BACKUP_FILE(char const* file, char const* backup);
        static MSG_I* IPRGEN_RESTORE_FILE(char const* backup, char const* file);
        // How many backups (<name>_BAK.<ext> beside <name>.<ext>) a folder scan left out.
        static MSG_I* IPRGEN_BACKUPS_LEFT_OUT(int count);
        // Why an upgrade failed, as a sub-message of IPRGEN_FAILED.
        static MSG_I* IPRGEN_FAILURE_REASON(char const* reason);
    };
};

// Posts a message a factory made, then deletes it.
void ipman_post(MSG_BASE* message);

// Writes a printf-formatted line to the local debug channel as "IPMAN", level 2.
void ipman_msg_debug(char const* format, ...);
