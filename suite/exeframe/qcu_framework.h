// The suite's executable framework: the base class of a command-line program's
// command object, and the facade through which a running command reports.
#pragma once

#include <memory>
#include <string>
#include <vector>

// The running command's link to the user: progress reports.
class QCU_FACADE {
public:
    explicit QCU_FACADE(std::string app_name) : m_app_name(std::move(app_name)) {}
    // Prints "Info: <App name> progress: <n>%" on standard output.
    void report_status(int percent);

private:
    std::string m_app_name;
};

// A program's command. qexe_standard_main (qexe.h) parses the options, calls
// their handlers and process_file_argument for bare arguments, then
// post_check_arguments, create_facade, initialize_databases and initialize_skelvin,
// stopping at the first that fails; then execute, and after it, whatever its
// result, write_reports, write_databases, cleanup_skelvin and release_databases.
class QCU_FRAMEWORK {
public:
    explicit QCU_FRAMEWORK(int executable_id) : m_executable_id(executable_id) {}
    virtual ~QCU_FRAMEWORK();
    QCU_FRAMEWORK(QCU_FRAMEWORK const&) = delete;
    QCU_FRAMEWORK& operator=(QCU_FRAMEWORK const&) = delete;

    virtual char const* get_exe_name() const = 0;
    virtual char const* get_app_name() const = 0;
    virtual char const* get_dbg_name() const = 0;
    // The forms of the command's bare arguments, for the usage line.
    virtual std::vector<std::string> const& get_usages() const = 0;
    virtual bool allows_tcl() const = 0;
    virtual bool process_file_argument(char const* text) = 0;
    virtual bool post_check_arguments() = 0;
    virtual bool is_tcl_mode() const = 0;
    virtual void set_tcl_mode(bool on) = 0;
    // Makes the facade that get_facade returns.
    virtual bool create_facade();
    virtual bool initialize_databases() = 0;
    virtual bool initialize_skelvin() { return true; }
    virtual bool execute() = 0;
    virtual bool write_reports() = 0;
    virtual bool write_databases() = 0;
    virtual bool cleanup_skelvin() { return true; }
    virtual bool release_databases() = 0;
    virtual bool parallel_publicly_supported() const = 0;
    virtual bool parallel_begin() = 0;
    virtual void parallel_end() = 0;
    virtual bool is_grunt_mode() const = 0;
    virtual void set_grunt_mode(bool on) = 0;
    virtual char const* get_short_app_name() const = 0;

    // The facade of the running command, or null before create_facade.
    static QCU_FACADE* get_facade();

private:
    int m_executable_id;
};
