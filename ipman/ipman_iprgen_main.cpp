#include "suite/messages/msg.h"

#include <cstdio>
#include <cstring>

namespace {
int ipman_iprgen_main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-h") == 0 || std::strcmp(argv[i], "--help") == 0) {
            std::printf("Usage: regentool [options] [files]\n");
            return 0;
        }
    }
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    msg_set_stack_size(0);
    return msg_exe_main(argc, argv, ipman_iprgen_main);
}
