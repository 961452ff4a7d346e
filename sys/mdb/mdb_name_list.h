// The pickers' lists of names (families, devices).
#pragma once

#include <QStringList>

class QStandardItemModel;

// Appends one non-editable row per name to `model` and sorts it ascending.
// False, reported as an internal error, when a row cannot be made.
bool mdb_fill_name_list(QStandardItemModel* model, QStringList const& names);
