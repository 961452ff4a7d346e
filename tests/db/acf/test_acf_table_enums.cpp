// Sections, enumerated values, arguments, traits and features.
#include <gtest/gtest.h>

#include "acf_table.h"
