#include "sys/mdb/mdb_nr_toolbar_dlg.h"

#include "sys/mdb/mdb.h"
#include "sys/mdb/mdb_msgs.h"
#include "ui_mdb_nr_toolbar_dlg.h"

#include <QPushButton>

namespace {

// Toolbars are stored under their name with blanks turned into "_"; the
// user's list is stored as "Custom".
QString stored_name(QString name) {
    return name.replace(QLatin1Char(' '), QLatin1Char('_'));
}

} // namespace

MDB_NR_TOOLBAR_DLG::MDB_NR_TOOLBAR_DLG(QString const& title, QString const& name,
                                       QStandardItemModel* model, QWidget* parent)
    : AFCQ_DIALOG(parent), m_model(model), m_initial(name),
      m_form(std::make_unique<Ui_MDB_NR_TOOLBAR_DLG>()) {
    if (model == nullptr) {
        MDB_INTERNAL_ERROR("no model");
    }
    m_form->setupUi(this);
    m_form->lineEdit->setText(name);
    m_form->lineEdit->selectAll();
    setWindowTitle(title);
    connect(m_form->buttonBox, &QDialogButtonBox::accepted, this, &MDB_NR_TOOLBAR_DLG::accept);
    connect(m_form->buttonBox, &QDialogButtonBox::rejected, this, &MDB_NR_TOOLBAR_DLG::reject);
}

MDB_NR_TOOLBAR_DLG::~MDB_NR_TOOLBAR_DLG() = default;

bool MDB_NR_TOOLBAR_DLG::name_taken(QString const& name) const {
    QString stored = stored_name(name);
    if (stored == QLatin1String("Custom")) {
        return true;
    }
    for (int row = 0; row < m_model->rowCount(); ++row) {
        QString text = m_model->index(row, 0).data().toString();
        // The row being renamed does not count against its own new name.
        if (text != m_initial && stored_name(text) == stored) {
            return true;
        }
    }
    return false;
}

void MDB_NR_TOOLBAR_DLG::accept() {
    QString name = m_form->lineEdit->text().trimmed();
    if (name.isEmpty()) {
        MSG_O* message = MSG_MDB::O::TOOLBAR_NAME_BLANK();
        message->show();
        delete message;
        m_form->lineEdit->clear();
        m_form->lineEdit->setFocus();
        return;
    }
    if (name != m_initial && name_taken(name)) {
        QByteArray local = name.toLocal8Bit();
        MSG_O* message = MSG_MDB::O::TOOLBAR_NAME_EXISTS(local.constData());
        message->show();
        delete message;
        m_form->lineEdit->setFocus();
        m_form->lineEdit->selectAll();
        return;
    }
    m_result = name;
    AFCQ_DIALOG::accept();
}
