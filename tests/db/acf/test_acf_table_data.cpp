// Invariants of the catalogue's data tables.
#include <gtest/gtest.h>

#include "acf_table.h"
#include "db/acf/acf_table_columns.h"
