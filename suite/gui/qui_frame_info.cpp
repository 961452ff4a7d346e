#include "suite/gui/qui_frame_info.h"

namespace {
constexpr QUI_FRAME_INFO k_frame_infos[] = {
#define QUI_FRAME_INFO_ROW(NAME, FLAGS, FILE_TYPE) {NAME, FLAGS, FILE_TYPE},
#include "suite/gui/qui_frame_infos.def"
#undef QUI_FRAME_INFO_ROW
};
} // namespace

std::vector<QUI_FRAME_INFO const*> const& qui_get_frame_infos() {
    static std::vector<QUI_FRAME_INFO const*> const infos = [] {
        std::vector<QUI_FRAME_INFO const*> all;
        for (QUI_FRAME_INFO const& info : k_frame_infos) {
            all.push_back(&info);
        }
        return all;
    }();
    return infos;
}
