// The Compare Revisions dialog's export: a tree written as CSV (RFC 4180
// fields, a "," after each field, LF line ends) and the atomic writing of the
// export file with its messages.
#pragma once

#include <QString>

class AFCQ_TREE_MODEL;

// A field as RFC 4180 writes it: quoted, with inner quotes doubled, when it
// holds a comma, a double quote, CR or LF; else as it is.
QString mdb_csv_field(QString const& text);

// The header line (each column's header text, an empty field for a missing
// one), then each row depth first: a group row (a top-level row or one with
// children) as its text alone, any other row as one field per column, empty
// where a revision has no cell.
QString mdb_compare_csv_text(AFCQ_TREE_MODEL const* model);

// Writes the model to the file chosen in the export dialog. A name without an
// extension gets ".csv", and when that file exists OVERWRITE_FILE is asked
// first (No writes nothing). The file is replaced atomically; on success
// COMPARE_REVISION_EXPORT names it, on failure CANT_CREATE_OR_OVERWRITE_FILE
// does and an existing file stays whole. A file replaced whose folder could
// not be flushed to disk is written but not confirmed durable:
// COMPARE_REVISION_EXPORT_NOT_DURABLE says so. True when written.
bool mdb_compare_export_csv(AFCQ_TREE_MODEL const* model, QString const& chosen);
