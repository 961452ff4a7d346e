// The family picker: the project's family is not installed, so the user
// chooses one of the installed families and whether location assignments go.
#pragma once

#include "suite/devicedb/dev.h"
#include "suite/gui/afcq.h"

#include <memory>
#include <string>
#include <vector>

class QStandardItemModel;
class Ui_MDB_SELECT_FAMILY_DLG;

class MDB_SELECT_FAMILY_DLG : public AFCQ_DIALOG {
    Q_OBJECT
public:
    // Offers `families` by user name, sorted, the first current; `family` is
    // the name of the family that is not installed.
    MDB_SELECT_FAMILY_DLG(std::vector<DEV_FAMILY_ENUM> const& families, QString const& family,
                          QWidget* parent);
    ~MDB_SELECT_FAMILY_DLG() override;

    // The user name of the current family; empty when none is current.
    std::string get_selected_family() const;
    // Whether "Remove all location assignments" is ticked.
    bool get_remove_locations() const;

private:
    std::unique_ptr<Ui_MDB_SELECT_FAMILY_DLG> m_form;
    QStandardItemModel* m_model = nullptr;
};
