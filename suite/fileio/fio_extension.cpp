#include "suite/fileio/fio.h"

#include <cctype>

namespace {
struct EXTENSION_ROW {
    int type;
    char const* extension;
};

EXTENSION_ROW const extension_rows[] = {
    {FIO_EXTENSION_TYPE_CSV, ".csv"},           {FIO_EXTENSION_TYPE_VERILOG, ".v"},
    {FIO_EXTENSION_TYPE_VHDL, ".vhd"},          {FIO_EXTENSION_TYPE_SYSTEM_VERILOG, ".sv"},
    {FIO_EXTENSION_TYPE_TCL, ".tcl"},           {FIO_EXTENSION_TYPE_OLD_PROJECT, ".tessaly"},
    {FIO_EXTENSION_TYPE_OLD_WORKSPACE, ".tws"}, {FIO_EXTENSION_TYPE_PSF, ".psf"},
    {FIO_EXTENSION_TYPE_CSF, ".csf"},           {FIO_EXTENSION_TYPE_SSF, ".ssf"},
    {FIO_EXTENSION_TYPE_ESF, ".esf"},           {FIO_EXTENSION_TYPE_TPF, ".tpf"},
    {FIO_EXTENSION_TYPE_TDF, ".tdf"},           {FIO_EXTENSION_TYPE_TSF, ".tsf"},
    {FIO_EXTENSION_TYPE_VARNETT2, ".vnt"},      {FIO_EXTENSION_TYPE_SDC, ".sdc"},
    {FIO_EXTENSION_TYPE_TCSV, ".tcsv"},         {FIO_EXTENSION_TYPE_ARCHIVE, ".tsa"},
    {FIO_EXTENSION_TYPE_RBA, ".rba"},           {FIO_EXTENSION_TYPE_PLEXA_SYSTEM, ".psys"},
};

std::string lower(std::string text) {
    for (char& c : text) {
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return text;
}
} // namespace

int fio_get_extension_type(std::string const& path) {
    std::string extension = lower(FIO_PATH(path).extension());
    for (EXTENSION_ROW const& row : extension_rows) {
        if (extension == row.extension) {
            return row.type;
        }
    }
    return 0;
}

std::string FIO_EXTENSION_TYPE_INFO::get_extension_string(int type) {
    for (EXTENSION_ROW const& row : extension_rows) {
        if (row.type == type) {
            return row.extension;
        }
    }
    return "";
}

std::string fio_get_file_type_filter(int extension_type) {
    switch (extension_type) {
    case FIO_EXTENSION_TYPE_CSV:
    case FIO_EXTENSION_TYPE_TCSV:
        return "Comma-Separated Value Files (*.csv)";
    default:
        return "";
    }
}

int fio_get_default_extension_type(int extension_type) {
    return extension_type == FIO_EXTENSION_TYPE_TCSV ? FIO_EXTENSION_TYPE_CSV : extension_type;
}
