// The frees of the library's lazily built structures, one per owning unit, run
// in a fixed order when the library is unloaded (ACF_INITIALIZER). After a free
// the structure is built again on its next use.
#pragma once

void acf_free_tcl_set_command_cache();
void acf_free_file_category_row_map();
void acf_free_family_defaults_maps();
void acf_free_rename_map();
void acf_free_old_section_rule_maps();
