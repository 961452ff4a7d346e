#include "sys/mdb/mdb_about_dlg.h"

#include "suite/general/gen.h"
#include "suite/general/ver.h"

#include <QApplication>

#include "ui_mdb_about_dlg.h"

MDB_ABOUT_DLG::MDB_ABOUT_DLG(QString const& text, QWidget* parent)
    : AFCQ_DIALOG(parent), m_form(new Ui_MDB_ABOUT_DLG) {
    m_form->setupUi(this);
    setWindowTitle(QStringLiteral("About ") + text);
    QIcon icon = QApplication::windowIcon();
    if (icon.isNull()) {
        icon = afcq_get_icon(AFCQ_ICON_SYSTEM);
    }
    m_form->m_icon->setPixmap(icon.pixmap(32, 32));
    m_form->m_version->setText(QString::fromLocal8Bit(GEN_PRODUCT_NAME) + QLatin1Char(' ') +
                               QString::fromLocal8Bit(ver_get_full_version_for_reports(true)));
    m_form->m_service_pack->setPlainText(
        get_service_pack_label(QString::fromLocal8Bit(ver_get_service_pack())));
    m_form->m_copyright->setPlainText(QString::fromLocal8Bit(gen_get_legal_trademark_text()));
    m_form->m_warning->setPlainText(QString::fromLocal8Bit(gen_get_legal_warning_text()));
}

MDB_ABOUT_DLG::~MDB_ABOUT_DLG() = default;

QString MDB_ABOUT_DLG::get_service_pack_label(QString const& service_pack) {
    return QStringLiteral("Service Pack Installed: ") +
           (service_pack.isEmpty() ? QStringLiteral("None") : service_pack);
}

void mdb_dyn_about_dlg(QWidget* parent, std::string const& text) {
    MDB_ABOUT_DLG dialog(QString::fromLocal8Bit(text.c_str()), parent);
    dialog.exec();
}
