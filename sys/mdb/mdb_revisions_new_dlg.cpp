#include "sys/mdb/mdb_revisions_new_dlg.h"

#include "acf_manager.h"
#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "sys/mdb/mdb_revisions_companion.h"
#include "sys/mdb/mdb_revisions_engine.h"

#include "ui_mdb_revisions_new_dlg.h"

#include <QDate>
#include <QPushButton>

namespace {

std::string local(QString const& text) {
    return text.toLocal8Bit().toStdString();
}

bool is_legal_name(QString const& name) {
    for (QChar c : name) {
        if (c.unicode() < 128 && mdb_is_illegal_revision_name_character(c.toLatin1())) {
            return false;
        }
    }
    return true;
}

void show_notice(MSG_O* notice) {
    notice->show();
    delete notice;
}

} // namespace

MDB_NEW_REVISIONS_DLG::MDB_NEW_REVISIONS_DLG(std::string const& base, QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(std::make_unique<Ui_MDB_NEW_REVISIONS_DLG>()) {
    m_form->setupUi(this);
    QComboBox* bases = m_form->comboBox;
    bases->addItem(QString());
    ACF_MANAGER* acf_mgr = ACF_MANAGER::get_acf_manager();
    ACF_MANAGER::STRING_LIST revisions;
    std::string reason;
    if (!acf_mgr->get_list_of_revisions_for_project(&revisions, &reason) || revisions.empty()) {
        // Without the list no base is known, and a revision made on none would
        // lack the settings the user meant to copy.
        m_offers_creation = false;
        show_notice(MSG_MDB::O::CANT_READ_PROJECT_REVISIONS(
            acf_mgr->is_project_open() ? acf_mgr->get_project_full_path() : "",
            reason.empty() ? "it lists no revision" : reason.c_str()));
    }
    for (std::string const& revision : revisions) {
        QString name = QString::fromLocal8Bit(revision.c_str());
        if (bases->findData(name, Qt::DisplayRole, Qt::MatchFixedString | Qt::MatchCaseSensitive) <
            0) {
            bases->addItem(name);
        }
    }
    bases->setCurrentIndex(bases->findData(QString::fromLocal8Bit(base.c_str()), Qt::DisplayRole,
                                           Qt::MatchFixedString | Qt::MatchCaseSensitive));
    change_new_rev_name();
    m_previous_base = bases->currentText();
    m_form->textEdit->setPlainText(
        QString::fromStdString(MDB_REV_CREATED_ON_STR) +
        QDate::currentDate().toString(QStringLiteral("dddd, MMMM dd, yyyy")) + "\n" +
        QString::fromStdString(MDB_REV_BASED_ON_STR) + m_previous_base + "\n");
    m_form->checkBox->setEnabled(bases->currentIndex() > 0);
    bases->setEnabled(m_offers_creation);

    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this, &MDB_NEW_REVISIONS_DLG::accept);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &MDB_NEW_REVISIONS_DLG::reject);
    connect(m_form->lineEdit, &QLineEdit::textChanged, this,
            &MDB_NEW_REVISIONS_DLG::change_new_rev_name);
    connect(bases, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &MDB_NEW_REVISIONS_DLG::selection_change);
}

MDB_NEW_REVISIONS_DLG::~MDB_NEW_REVISIONS_DLG() = default;

std::string MDB_NEW_REVISIONS_DLG::new_revision_name() const {
    return local(m_new_name);
}
std::string MDB_NEW_REVISIONS_DLG::base_revision() const {
    return local(m_base);
}
std::string MDB_NEW_REVISIONS_DLG::description() const {
    return local(m_description);
}

void MDB_NEW_REVISIONS_DLG::change_new_rev_name() {
    m_new_name = m_form->lineEdit->text();
    m_form->buttonBox->button(QDialogButtonBox::Ok)
        ->setEnabled(m_offers_creation && !m_new_name.isEmpty());
}

void MDB_NEW_REVISIONS_DLG::selection_change(int new_index) {
    m_base = m_form->comboBox->currentText();
    m_form->checkBox->setEnabled(new_index > 0);
    update_description();
    m_previous_base = m_form->comboBox->currentText();
}

void MDB_NEW_REVISIONS_DLG::update_description() {
    QString text = m_form->textEdit->toPlainText();
    QString const marker = QString::fromStdString(MDB_REV_BASED_ON_STR);
    int at = text.indexOf(marker);
    if (at < 0) {
        return;
    }
    text.replace(at + marker.size(), m_previous_base.size(), m_form->comboBox->currentText());
    m_form->textEdit->setPlainText(text);
}

void MDB_NEW_REVISIONS_DLG::refuse_name() {
    m_form->lineEdit->setFocus();
    m_form->lineEdit->selectAll();
}

void MDB_NEW_REVISIONS_DLG::accept() {
    if (!m_offers_creation) {
        return;
    }
    QString name = m_form->lineEdit->text();
    if (!is_legal_name(name)) {
        show_notice(MSG_MDB::O::ILLEGAL_CHARCTER_V2());
        refuse_name();
        return;
    }
    std::string file;
    if (!mdb_revision_name_is_free(local(name), &file)) {
        show_notice(MSG_MDB::O::CANT_CREATE_OR_OVERWRITE_FILE(file.c_str()));
        refuse_name();
        return;
    }
    m_new_name = name;
    m_base = m_form->comboBox->currentIndex() > 0 ? m_form->comboBox->currentText() : QString();
    m_copy_database = m_form->checkBox->isChecked();
    m_set_as_current = m_form->checkBox_2->isChecked();
    m_description = m_form->textEdit->toPlainText();
    QDialog::accept();
}
