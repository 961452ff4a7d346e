// The user library directories of an older project: the value of its
// USER_LIBRARIES setting, directories separated by ";". The entity settings files
// of an older project are searched in each of them.
#pragma once

#include <string>
#include <vector>

// The directories of the value in order, each ending in "/"; empty pieces are
// skipped. Every piece counts, the one after the last ";" and a value without
// any ";" included.
std::vector<std::string> acf_file_user_library_directories(std::string const& value);
