#include "suite/gui/qui_prj_ui_mgr.h"

QUI_PRJ_UI_MGR* QUI_PRJ_UI_MGR::get_prj_ui_mgr() {
    static QUI_PRJ_UI_MGR manager;
    return &manager;
}

void QUI_PRJ_UI_MGR::set_handlers(CLOSE_HANDLER close, OPEN_HANDLER open) {
    m_close = std::move(close);
    m_open = std::move(open);
}

bool QUI_PRJ_UI_MGR::close_project() {
    m_requests.push_back({"close", "", ""});
    return !m_close || m_close();
}

bool QUI_PRJ_UI_MGR::open_project(std::string const& project_file, std::string const& revision) {
    m_requests.push_back({"open", project_file, revision});
    return !m_open || m_open(project_file, revision);
}

bool QUI_PRJ_UI_MGR::project_is_open() const {
    std::string directory;
    std::string name;
    return m_query && m_query(&directory, &name);
}

std::string QUI_PRJ_UI_MGR::get_current_project_dir() const {
    std::string directory;
    std::string name;
    if (!m_query || !m_query(&directory, &name)) {
        return "";
    }
    if (!directory.empty() && directory.back() != '/') {
        directory += '/';
    }
    return directory;
}

std::string QUI_PRJ_UI_MGR::get_current_project_name() const {
    std::string directory;
    std::string name;
    return m_query && m_query(&directory, &name) ? name : std::string();
}

void QUI_PRJ_UI_MGR::set_new_project_handler(std::function<void()> handler) {
    m_new_project = std::move(handler);
}

void QUI_PRJ_UI_MGR::new_project() {
    m_requests.push_back({"new", "", ""});
    if (m_new_project) {
        m_new_project();
    }
}
