// The node finder library: the suite's dialog for choosing instances of the
// compiled design. Loaded by file name ("libnodefinder.so" beside the
// programs); callers find its entry point by name.
#pragma once

#include "suite/gui/afcq.h"

class QWidget;

#define UNBQ_LIBRARY_FILE "libnodefinder.so"
#define UNBQ_DYN_NODE_FINDER "unbq_dyn_node_finder_dialog_instance_name_widget"
// Runs the node finder modally on `parent`; `chosen` (empty on entry) receives
// the instances the user chose by their full hierarchy names, in list order;
// it stays empty when the user cancelled. `flags` is reserved (0).
using UNBQ_DYN_NODE_FINDER_FUNC = void (*)(QWidget* parent, AFCQ_INSTANCE_NAME_LIST& chosen,
                                           int flags);
