// The host's project UI manager: tells the open project, closes it, opens a
// project file on a revision and starts a new project. The host installs how
// that is done (the graphical host reopens through the project manager); every
// request is recorded, so tests can see what a dialog asked of the host.
#pragma once

#include <functional>
#include <string>
#include <vector>

class QUI_PRJ_UI_MGR {
public:
    struct REQUEST {
        std::string operation; // "close", "open" or "new"
        std::string project_file;
        std::string revision;
    };
    using CLOSE_HANDLER = std::function<bool()>;
    using OPEN_HANDLER =
        std::function<bool(std::string const& project_file, std::string const& revision)>;

    static QUI_PRJ_UI_MGR* get_prj_ui_mgr();

    // Without handlers a request is only recorded and succeeds.
    void set_handlers(CLOSE_HANDLER close, OPEN_HANDLER open);
    bool close_project();
    bool open_project(std::string const& project_file, std::string const& revision);

    std::vector<REQUEST> const& requests() const { return m_requests; }
    void clear_requests() { m_requests.clear(); }

    // The open project, as the host tells it: `query` gives its directory and
    // name and answers whether one is open. Without a query no project is.
    using PROJECT_QUERY = std::function<bool(std::string* directory, std::string* name)>;
    void set_project_query(PROJECT_QUERY query) { m_query = std::move(query); }
    bool project_is_open() const;
    // The open project's directory (with its trailing "/") and name; "" when
    // none is open.
    std::string get_current_project_dir() const;
    std::string get_current_project_name() const;

    // Starts the host's new-project operation, as the host installs it.
    void set_new_project_handler(std::function<void()> handler);
    void new_project();

private:
    CLOSE_HANDLER m_close;
    OPEN_HANDLER m_open;
    PROJECT_QUERY m_query;
    std::function<void()> m_new_project;
    std::vector<REQUEST> m_requests;
};
