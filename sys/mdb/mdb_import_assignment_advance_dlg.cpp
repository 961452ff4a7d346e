#include "sys/mdb/mdb_import_assignment_advance_dlg.h"

#include "suite/fileio/fio.h"
#include "sys/mdb/mdb_import_options.h"
#include "ui_mdb_import_assignment_advance_dlg.h"

#include <QPushButton>

MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG>()) {
    m_form->setupUi(this);
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    connect(f.buttonBox, &QDialogButtonBox::accepted, this,
            &MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_ok);
    connect(f.buttonBox, &QDialogButtonBox::rejected, this, &QDialog::reject);
    for (QRadioButton* radio : {f.instance_radio, f.entity_radio, f.global_radio}) {
        connect(radio, &QRadioButton::clicked, this,
                &MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_radio_button);
    }
    connect(f.instance_check_box, &QCheckBox::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_instance_radio);
    connect(f.promote_annotated_check_box, &QCheckBox::clicked, this,
            &MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_promote_radio);
    for (QCheckBox* option : {f.overwrite_no_update_check_box, f.overwrite_replace_check_box,
                              f.overwrite_update_check_box}) {
        connect(option, &QCheckBox::clicked, this,
                &MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_import_option);
    }
}

MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::~MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG() = default;

int MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::exec() {
    on_init_dialog();
    return QDialog::exec();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::set_enabled(std::initializer_list<QWidget*> widgets,
                                                    bool enabled) {
    for (QWidget* widget : widgets) {
        widget->setEnabled(enabled);
    }
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_init_dialog() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    std::initializer_list<QWidget*> types = {
        f.types_group_box, f.global_check_box,         f.instance_check_box,
        f.pin_check_box,   f.back_annotated_check_box, f.promote_annotated_check_box};
    std::initializer_list<QWidget*> wildcard = {f.limit_label, f.wildcard_label, f.wildcard_text};
    if (mdb_import_is_csv(m_file_kind)) {
        if (!m_options_given) {
            m_instance = m_create_new = m_overwrite = true;
        }
        set_enabled({f.entity_radio, f.global_radio, f.overwrite_replace_check_box}, false);
        set_enabled(types, false);
        set_enabled(wildcard, false);
    } else if (m_file_kind == FIO_EXTENSION_TYPE_ESF) {
        if (!m_options_given) {
            m_entity = m_overwrite = true;
        }
        set_enabled({f.instance_radio, f.global_radio}, false);
        set_enabled(types, false);
        set_enabled(wildcard, false);
    } else {
        if (!m_options_given) {
            m_instance = true;
            m_global_type = false;
            m_instance_type = m_pins = m_back_annotated = true;
            m_promote = m_elaborated;
            m_create_new = m_overwrite = true;
            set_enabled({f.promote_annotated_check_box, f.wildcard_text}, m_elaborated);
        }
        if (m_region_import) {
            set_enabled({f.entity_radio, f.global_radio}, false);
        }
    }
    if (m_options_given && m_file_kind == FIO_EXTENSION_TYPE_TSF) {
        update_radio_button();
        update_instance_radio();
        f.promote_annotated_check_box->setEnabled(m_elaborated);
        f.wildcard_text->setEnabled(m_elaborated && m_promote);
    }
    update_options();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_options() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    f.instance_radio->setChecked(m_instance);
    f.entity_radio->setChecked(m_entity);
    f.global_radio->setChecked(m_global);
    f.global_check_box->setChecked(m_global_type);
    f.instance_check_box->setChecked(m_instance_type);
    f.pin_check_box->setChecked(m_pins);
    f.back_annotated_check_box->setChecked(m_back_annotated);
    f.promote_annotated_check_box->setChecked(m_promote);
    f.overwrite_no_update_check_box->setChecked(m_create_new);
    f.overwrite_update_check_box->setChecked(m_overwrite);
    f.overwrite_replace_check_box->setChecked(m_replace_entity);
    f.wildcard_text->setText(QString::fromLocal8Bit(m_wildcard.c_str()));
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::get_options() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    m_instance = f.instance_radio->isChecked();
    m_entity = f.entity_radio->isChecked();
    m_global = f.global_radio->isChecked();
    m_global_type = f.global_check_box->isChecked();
    m_instance_type = f.instance_check_box->isChecked();
    m_pins = f.pin_check_box->isChecked();
    m_back_annotated = f.back_annotated_check_box->isChecked();
    m_promote = f.promote_annotated_check_box->isChecked();
    m_create_new = f.overwrite_no_update_check_box->isChecked();
    m_overwrite = f.overwrite_update_check_box->isChecked();
    m_replace_entity = f.overwrite_replace_check_box->isChecked();
    m_wildcard = f.wildcard_text->text().toLocal8Bit().toStdString();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_radio_button() {
    if (mdb_import_is_csv(m_file_kind)) {
        return;
    }
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    set_enabled({f.types_group_box, f.global_check_box, f.instance_check_box, f.pin_check_box,
                 f.back_annotated_check_box},
                m_instance);
    set_enabled({f.promote_annotated_check_box, f.limit_label, f.wildcard_label, f.wildcard_text},
                m_instance && m_elaborated);
    set_enabled({f.overwrite_no_update_check_box, f.overwrite_update_check_box}, true);
    f.overwrite_replace_check_box->setEnabled(!m_global);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_radio_button() {
    m_instance = m_form->instance_radio->isChecked();
    m_entity = m_form->entity_radio->isChecked();
    m_global = m_form->global_radio->isChecked();
    update_radio_button();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_instance_radio() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    if (!f.instance_check_box->isEnabled()) {
        return;
    }
    set_enabled({f.pin_check_box, f.back_annotated_check_box, f.promote_annotated_check_box},
                m_instance_type);
    f.wildcard_text->setEnabled(m_promote);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_instance_radio() {
    m_instance_type = m_form->instance_check_box->isChecked();
    update_instance_radio();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_promote_radio() {
    m_promote = m_form->promote_annotated_check_box->isChecked();
    set_enabled({m_form->wildcard_text, m_form->limit_label, m_form->wildcard_label}, m_promote);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_import_option() {
    m_create_new = m_form->overwrite_no_update_check_box->isChecked();
    m_overwrite = m_form->overwrite_update_check_box->isChecked();
    m_replace_entity = m_form->overwrite_replace_check_box->isChecked();
    m_form->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(m_create_new || m_overwrite || m_replace_entity || m_brackfield_update);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_ok() {
    get_options();
    accept();
}
