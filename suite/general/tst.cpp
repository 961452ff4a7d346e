#include "suite/general/tst.h"

#include "suite/config/cfg.h"

bool tst_is_regtest_mode() { return cfg_is_on("tst_regtest_mode", false); }
