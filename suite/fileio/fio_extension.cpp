#include "suite/fileio/fio.h"

std::string FIO_EXTENSION_TYPE_INFO::get_extension_string(int type) {
    switch (type) {
    case FIO_EXTENSION_TYPE_VERILOG:
        return ".v";
    case FIO_EXTENSION_TYPE_VHDL:
        return ".vhd";
    case FIO_EXTENSION_TYPE_SYSTEM_VERILOG:
        return ".sv";
    default:
        return "";
    }
}
