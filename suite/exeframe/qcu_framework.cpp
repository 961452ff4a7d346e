#include "suite/exeframe/qcu_framework.h"

#include <cstdio>

namespace {
std::unique_ptr<QCU_FACADE>& the_facade() {
    static std::unique_ptr<QCU_FACADE> facade;
    return facade;
}
} // namespace

void QCU_FACADE::report_status(int percent) {
    std::printf("Info: %s progress: %d%%\n", m_app_name.c_str(), percent);
    std::fflush(stdout);
}

QCU_FRAMEWORK::~QCU_FRAMEWORK() = default;

bool QCU_FRAMEWORK::create_facade() {
    the_facade() = std::make_unique<QCU_FACADE>(get_app_name());
    return true;
}

QCU_FACADE* QCU_FRAMEWORK::get_facade() {
    return the_facade().get();
}
