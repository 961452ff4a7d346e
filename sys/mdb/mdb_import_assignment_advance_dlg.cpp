#include "sys/mdb/mdb_import_assignment_advance_dlg.h"

#include "suite/fileio/fio.h"
#include "ui_mdb_import_assignment_advance_dlg.h"

#include <QPushButton>

MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG(QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG>()) {
    m_options.types = {false, false, false, false, false, ""};
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
            m_options.mode = MDB_IMPORT_MODE_INSTANCE;
            m_options.create_new = m_options.overwrite = true;
        }
        set_enabled({f.entity_radio, f.global_radio, f.overwrite_replace_check_box}, false);
        set_enabled(types, false);
        set_enabled(wildcard, false);
    } else if (m_file_kind == FIO_EXTENSION_TYPE_ESF) {
        if (!m_options_given) {
            m_options.mode = MDB_IMPORT_MODE_ENTITY;
            m_options.overwrite = true;
        }
        set_enabled({f.instance_radio, f.global_radio}, false);
        set_enabled(types, false);
        set_enabled(wildcard, false);
    } else {
        if (!m_options_given) {
            m_options.mode = MDB_IMPORT_MODE_INSTANCE;
            m_options.types = {false, true, true, true, m_elaborated, m_options.types.wildcard};
            m_options.create_new = m_options.overwrite = true;
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
        f.wildcard_text->setEnabled(m_elaborated && m_options.types.promote);
    }
    update_options();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_options() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    MDB_IMPORT_TYPE const& types = m_options.types;
    f.instance_radio->setChecked(m_options.mode == MDB_IMPORT_MODE_INSTANCE);
    f.entity_radio->setChecked(m_options.mode == MDB_IMPORT_MODE_ENTITY);
    f.global_radio->setChecked(m_options.mode == MDB_IMPORT_MODE_GLOBAL);
    f.global_check_box->setChecked(types.global);
    f.instance_check_box->setChecked(types.instance);
    f.pin_check_box->setChecked(types.pins);
    f.back_annotated_check_box->setChecked(types.back_annotated);
    f.promote_annotated_check_box->setChecked(types.promote);
    f.overwrite_no_update_check_box->setChecked(m_options.create_new);
    f.overwrite_update_check_box->setChecked(m_options.overwrite);
    f.overwrite_replace_check_box->setChecked(m_options.replace_entity);
    f.wildcard_text->setText(QString::fromLocal8Bit(types.wildcard.c_str()));
}

int MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::mode_of_radio_buttons() const {
    return m_form->instance_radio->isChecked() ? MDB_IMPORT_MODE_INSTANCE
           : m_form->entity_radio->isChecked() ? MDB_IMPORT_MODE_ENTITY
                                               : MDB_IMPORT_MODE_GLOBAL;
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::get_options() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    MDB_IMPORT_TYPE& types = m_options.types;
    m_options.mode = mode_of_radio_buttons();
    types.global = f.global_check_box->isChecked();
    types.instance = f.instance_check_box->isChecked();
    types.pins = f.pin_check_box->isChecked();
    types.back_annotated = f.back_annotated_check_box->isChecked();
    types.promote = f.promote_annotated_check_box->isChecked();
    m_options.create_new = f.overwrite_no_update_check_box->isChecked();
    m_options.overwrite = f.overwrite_update_check_box->isChecked();
    m_options.replace_entity = f.overwrite_replace_check_box->isChecked();
    types.wildcard = f.wildcard_text->text().toLocal8Bit().toStdString();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_radio_button() {
    if (mdb_import_is_csv(m_file_kind)) {
        return;
    }
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    bool instance = m_options.mode == MDB_IMPORT_MODE_INSTANCE;
    set_enabled({f.types_group_box, f.global_check_box, f.instance_check_box, f.pin_check_box,
                 f.back_annotated_check_box},
                instance);
    set_enabled({f.promote_annotated_check_box, f.limit_label, f.wildcard_label, f.wildcard_text},
                instance && m_elaborated);
    set_enabled({f.overwrite_no_update_check_box, f.overwrite_update_check_box}, true);
    f.overwrite_replace_check_box->setEnabled(m_options.mode != MDB_IMPORT_MODE_GLOBAL);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_radio_button() {
    m_options.mode = mode_of_radio_buttons();
    update_radio_button();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::update_instance_radio() {
    Ui_MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG& f = *m_form;
    if (!f.instance_check_box->isEnabled()) {
        return;
    }
    set_enabled({f.pin_check_box, f.back_annotated_check_box, f.promote_annotated_check_box},
                m_options.types.instance);
    f.wildcard_text->setEnabled(m_options.types.promote);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_instance_radio() {
    m_options.types.instance = m_form->instance_check_box->isChecked();
    update_instance_radio();
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_promote_radio() {
    m_options.types.promote = m_form->promote_annotated_check_box->isChecked();
    set_enabled({m_form->wildcard_text, m_form->limit_label, m_form->wildcard_label},
                m_options.types.promote);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_click_import_option() {
    m_options.create_new = m_form->overwrite_no_update_check_box->isChecked();
    m_options.overwrite = m_form->overwrite_update_check_box->isChecked();
    m_options.replace_entity = m_form->overwrite_replace_check_box->isChecked();
    m_form->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(m_options.create_new || m_options.overwrite || m_options.replace_entity ||
                     m_options.brackfield_update);
}

void MDB_IMPORT_ASSIGNMENT_ADVANCE_DLG::on_ok() {
    get_options();
    accept();
}
