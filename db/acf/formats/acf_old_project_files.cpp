#include "formats/acf_old_project_files.h"

#include "acf_assignment.h"
#include "acf_file_categories.h"
#include "acf_internal_error.h"
#include "catalogue/acf_old_section_rules.h"
#include "formats/acf_file.h"
#include "formats/acf_project_file.h"
#include "formats/acf_section.h"
#include "mem_manager.h"
#include "records/acf_assignment_factory.h"

#include "suite/fileio/fio.h"

MEM_UNIT_INITIALIZER(ACF);

std::string acf_old_file_path(std::string const& path_template, std::string const& base,
                              ACF_FILE_TYPE_ENUM kind) {
    return FIO_PATH(path_template).directory() + base +
           FIO_EXTENSION_TYPE_INFO::get_extension_string(
               static_cast<int>(acf_file_type_to_fio_ext(kind)));
}

bool acf_old_file_is_readable(std::string const& path, std::string* reason) {
    std::string content;
    return FIO_FILE_SYSTEM::read_file(FIO_PATH(path), content, reason);
}

void acf_copy_old_file_assignments(ACF_FILE* file, ACF_ASSIGNMENT_FACTORY const* factory,
                                   std::list<ACF_ASSIGNMENT*>* out) {
    if (!ACF_REQUIRE(file != NULL) || !ACF_REQUIRE(factory != NULL) || !ACF_REQUIRE(out != NULL)) {
        return;
    }
    std::list<ACF_ASSIGNMENT*> device_options;
    std::list<ACF_ASSIGNMENT*> chip;
    for (ACF_SECTION* section : *file->find(ACF_SECTION_TYPE_NONE, nullptr)) {
        ACF_SECTION_TYPE_ENUM type = section->get_section_type();
        bool takes_identifier = acf_section_takes_identifier(file->get_file_type(), type);
        for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE)) {
            if (type == ACF_SECTION_TYPE_DEFAULT_DEVICE_OPTIONS) {
                device_options.push_back(record);
                continue;
            }
            if (type == ACF_SECTION_TYPE_CHIP) {
                chip.push_back(record);
                continue;
            }
            ACF_ASSIGNMENT* copy = factory->create_assignment(record);
            if (copy == nullptr) {
                continue;
            }
            if (takes_identifier) {
                copy->set_old_section_info(section->get_identifier(), nullptr, false);
            } else {
                copy->clear_section_identifier();
            }
            out->push_back(copy);
        }
    }
    for (std::list<ACF_ASSIGNMENT*> const* held : {&device_options, &chip}) {
        for (ACF_ASSIGNMENT* record : *held) {
            ACF_ASSIGNMENT* copy = factory->create_assignment(record);
            if (copy != nullptr) {
                copy->clear_section_identifier();
                out->push_back(copy);
            }
        }
    }
}

bool acf_read_old_file_assignments(std::string const& file, ACF_FILE_TYPE_ENUM type,
                                   ACF_ASSIGNMENT_FACTORY* factory,
                                   std::list<ACF_ASSIGNMENT*>* out) {
    if (!ACF_REQUIRE(out != NULL)) {
        return false;
    }
    ACF_FILE* old_file = ACF_FILE::get_file(file.c_str(), type, factory);
    if (old_file == nullptr) {
        return false;
    }
    acf_copy_old_file_assignments(old_file, factory, out);
    delete old_file;
    return true;
}

void acf_get_all_revisions_from_old_settings_file(char const* file, std::list<std::string>* list,
                                                  ACF_ASSIGNMENT_FACTORY* factory) {
    if (!ACF_REQUIRE(file != NULL) || !ACF_REQUIRE(list != NULL)) {
        return;
    }
    ACF_FILE* parsed = ACF_FILE::get_file(file, ACF_FILE_TYPE_PROJECT, factory);
    if (parsed == nullptr) {
        return;
    }
    for (ACF_SECTION_TYPE_ENUM type :
         {ACF_SECTION_TYPE_COMPILER_ACTION_POINTS, ACF_SECTION_TYPE_SIMULATOR_ACTION_POINTS}) {
        ACF_SECTION* section = parsed->find_first(type, nullptr);
        if (section == nullptr) {
            continue;
        }
        for (ACF_ASSIGNMENT* record : *section->find(ACF_VARIABLE_TYPE_NONE)) {
            char const* value = record->get_unmodified_value(false);
            if (value != nullptr && *value != '\0') {
                acf_add_setting_name_if_not_already_in_string_list(list, value);
            }
        }
    }
    delete parsed;
}
