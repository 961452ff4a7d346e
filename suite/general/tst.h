// Regression-test mode: set while the suite's automatic tests drive it, so that
// nothing waits for a user. On when the switch "tst_regtest_mode" is on
// (environment or tessaly.ini).
#pragma once

bool tst_is_regtest_mode();
