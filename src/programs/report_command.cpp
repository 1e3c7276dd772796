// report_command.cpp --- arguments and run of tsm-batch report.
#include "programs/report_command.h"

#include "app/settings_store.h"
#include "db/connection.h"
#include "db/value.h"
#include "stats/result_report.h"
#include "ui/report_printing.h"

#include <QApplication>
#include <cmath>
#include <cstdlib>
#include <memory>
#include <ostream>
#include <stdexcept>

namespace app {

namespace {

[[noreturn]] void bad_argument(const std::string& why) {
    throw std::invalid_argument(std::string(report_usage) + "\n  " + why);
}

bool set(const char* name) {
    const char* v = std::getenv(name);
    return v && *v;
}

// The application object that text layout and charts need, when the program has none.
std::unique_ptr<QApplication> application() {
    if (QCoreApplication::instance()) return nullptr;
    if (!set("QT_QPA_PLATFORM") && !set("DISPLAY") && !set("WAYLAND_DISPLAY"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    static int argc = 1;
    static char name[] = "tsm-batch";
    static char* argv[] = {name, nullptr};
    return std::make_unique<QApplication>(argc, argv);
}

std::filesystem::path default_file(std::int64_t fl_id, stats::ReportKind kind) {
    std::string pdf_dir;
    try {
        pdf_dir = open_user_settings()->read_string("pdf_dir");
    } catch (const SettingsError&) {
        // without readable settings the report goes into the working folder
    }
    return stats::report_file(pdf_dir, fl_id, kind);
}

} // namespace

ReportCommand parse_report_command(const std::vector<std::string>& a) {
    if (a.size() < 4) bad_argument("DATABASE, KIND and FL_ID are needed");
    ReportCommand cmd;
    cmd.database = a[1];
    const std::optional<stats::ReportKind> kind = stats::parse_kind(a[2]);
    if (!kind) bad_argument("unknown report kind \"" + a[2] + "\"");
    cmd.kind = *kind;
    const std::optional<double> id = db::parse_number(a[3]);
    if (!id || *id != std::floor(*id) || std::fabs(*id) > 1e15)
        bad_argument("FL_ID \"" + a[3] + "\" is not a plot number");
    cmd.fl_id = static_cast<std::int64_t>(*id);
    for (std::size_t i = 4; i < a.size(); ++i) {
        if (a[i] == "--pdf" && i + 1 < a.size()) {
            cmd.pdf = a[++i];
        } else {
            bad_argument("unknown argument \"" + a[i] + "\"");
        }
    }
    return cmd;
}

int run_report_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    try {
        const ReportCommand cmd = parse_report_command(args);
        const std::unique_ptr<QApplication> app = application();
        db::Connection conn(cmd.database);
        const stats::Report report = stats::build_report(conn, cmd.fl_id, cmd.kind);
        const std::filesystem::path file = cmd.pdf ? *cmd.pdf : default_file(cmd.fl_id, cmd.kind);
        ui::write_report_pdf(report, file);
        out << file.string() << '\n';
        return 0;
    } catch (const std::exception& e) {
        err << "tsm-batch: " << e.what() << '\n';
        return 1;
    }
}

} // namespace app
