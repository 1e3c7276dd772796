// entry_command.cpp --- management events and measurements written from the console.
#include "programs/entry_command.h"

#include "db/connection.h"
#include "workbench/form_numbers.h"
#include "workbench/management_entry.h"
#include "workbench/measurement_entry.h"
#include "workbench/regional_mode.h"

#include <ostream>
#include <stdexcept>

namespace app {
namespace {

workbench::CalendarDate read_date(const std::string& text) {
    int a = 0, b = 0, c = 0;
    char s1 = 0, s2 = 0, rest = 0;
    if (std::sscanf(text.c_str(), "%d%c%d%c%d%c", &a, &s1, &b, &s2, &c, &rest) == 5) {
        if (s1 == '.' && s2 == '.') return {c, b, a};
        if (s1 == '-' && s2 == '-') return {a, b, c};
    }
    throw workbench::EntryRefused("date", "\"" + text + "\" is no date (15.04.2021 or 2021-04-15)");
}

std::int64_t whole(const std::string& field, const std::string& text) {
    if (const auto v = workbench::read_whole_number(text)) return *v;
    throw workbench::EntryRefused(field, "\"" + text + "\" is not a whole number");
}

int run_event(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() != 7 && !(a.size() == 9 && a[7] == "--share"))
        throw std::invalid_argument(event_usage);
    db::Connection conn(a[1]);
    workbench::EventForm f;
    f.fl_id = whole("plot", a[2]);
    f.date = read_date(a[3]);
    f.action = whole("action", a[4]);
    const std::int64_t kind = workbench::item_kind_of_action(f.action);
    f.item_key = workbench::item_key(kind, whole("item", a[5]));
    f.amount = a[6];
    if (a.size() == 9) f.share = a[8];
    const workbench::ItemList items = workbench::load_items(conn, workbench::all_items_statement());
    out << "cultivation_id "
        << workbench::insert_event(conn, f, items, workbench::detect_regional_mode(conn)) << '\n';
    return 0;
}

int run_measurement(const std::vector<std::string>& a, std::ostream& out) {
    if (a.size() < 6) throw std::invalid_argument(measurement_usage);
    workbench::MeasurementInput m;
    for (std::size_t i = 6; i < a.size(); ++i) {
        if (a[i] == "--initial")
            m.initial_value = true;
        else if (a[i] == "--variance" && i + 1 < a.size())
            m.variance = a[++i];
        else
            throw std::invalid_argument(measurement_usage);
    }
    db::Connection conn(a[1]);
    m.fl_id = whole("plot", a[2]);
    m.date = read_date(a[3]);
    m.property = whole("property", a[4]);
    m.value = a[5];
    out << "meas_id " << workbench::insert_measurement(conn, m) << '\n';
    return 0;
}

} // namespace

int run_entry_command(const std::vector<std::string>& args, std::ostream& out) {
    if (!args.empty() && args[0] == "event") return run_event(args, out);
    return run_measurement(args, out);
}

} // namespace app
