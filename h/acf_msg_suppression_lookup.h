// Answers the message system's question whether a message is switched off, from
// the open project's global MESSAGE_DISABLE settings. A host creates one, hands
// it to the message index and deletes it through the base.
#pragma once

#include "suite/messages/msg.h"

#include <unordered_map>
#include <vector>

class ACF_MSG_SUPPRESSION_LOOKUP : public MSG_SUPPRESSION_LOOKUP {
public:
    ACF_MSG_SUPPRESSION_LOOKUP() = default;
    ~ACF_MSG_SUPPRESSION_LOOKUP() override;

    // True when the open project has a global MESSAGE_DISABLE setting whose value
    // is the id. Answers are remembered until the project's disabled ids change
    // (another project is opened, or its MESSAGE_DISABLE settings change).
    bool is_suppressed(unsigned int id) override;
    // Checks every MESSAGE_DISABLE value of the open project, global and per
    // instance, with the message system; posts one message per rejected value.
    // True when none was rejected or no project is open.
    virtual bool validate_suppressed_ids();

private:
    std::unordered_map<unsigned int, bool> m_cache;
    // The disabled ids the cached answers were computed from, ascending.
    std::vector<unsigned int> m_disabled_ids;
};

// Makes the open project's MESSAGE_DISABLE settings switch messages off in this
// process: one lookup, kept until the process ends, answers for the message
// system's default index. Every program that opens a project calls it at start.
void acf_install_msg_suppression_lookup();
