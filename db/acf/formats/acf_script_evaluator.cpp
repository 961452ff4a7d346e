// The one script evaluator of the process.
#include "formats/acf_script_evaluator.h"

#include "mem_manager.h"

#include <atomic>

MEM_UNIT_INITIALIZER(ACF);

namespace {
std::atomic<ACF_SCRIPT_EVALUATOR*> s_evaluator{nullptr};
} // namespace

ACF_SCRIPT_EVALUATOR::~ACF_SCRIPT_EVALUATOR() = default;

ACF_SCRIPT_EVALUATOR* acf_script_evaluator() {
    return s_evaluator.load();
}

void acf_set_script_evaluator(ACF_SCRIPT_EVALUATOR* evaluator) {
    s_evaluator = evaluator;
}
