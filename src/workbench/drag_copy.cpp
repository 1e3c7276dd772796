// drag_copy.cpp --- copying management and measurements between plots.
#include "workbench/drag_copy.h"

#include "db/connection.h"
#include "workbench/workbench_texts.h"

namespace workbench {

std::optional<CopyKind> copy_kind_of_page(int page_index) {
    if (page_index == 1) return CopyKind::management;
    if (page_index == 2) return CopyKind::measurements;
    return std::nullopt;
}

bool drop_accepted(bool target_is_plot, std::int64_t source_fl_id, std::int64_t target_fl_id,
                   int page_index) {
    // A plot dropped on itself would double every record it has.
    return target_is_plot && source_fl_id != target_fl_id && page_index >= 0 && page_index < 3;
}

CopyQuestion copy_question(CopyKind kind, const std::string& target, const std::string& language) {
    const int entry = kind == CopyKind::management ? 29 : 28;
    return {ui_text(27, language), ui_text(entry, language) + target + ui_text(26, language)};
}

std::string copy_report_caption(CopyKind kind, const std::string& language) {
    return ui_text(kind == CopyKind::management ? 24 : 25, language);
}

std::string copy_report(int copied, const std::string& language) {
    return std::to_string(copied) + ui_text(30, language);
}

std::string copy_statement(CopyKind kind, std::int64_t from, std::int64_t to) {
    const std::string target = std::to_string(to), source = std::to_string(from);
    // The columns are named on both sides: the copy fills them by name, every other
    // column of the new rows (key, simulated quantity, shares, weight) takes its default.
    if (kind == CopyKind::management)
        return "insert into cultivation ([day], [month], [year], Macode, Item_IX, Quantity, "
               "FL_ID) "
               " SELECT day, month, year, Macode, Item_IX, Quantity, " +
               target + " as FL_ID FROM cultivation where FL_ID=" + source;
    return "insert into measurements ([day], [month], [year],year_number, M_ix, meas_value,FL_ID ) "
           " SELECT [day], [month], [year],year_number, M_ix, meas_value,  " +
           target + " as FL_ID FROM measurements where FL_ID=" + source;
}

int copy_plot_data(db::Connection& conn, CopyKind kind, std::int64_t from, std::int64_t to) {
    return conn.execute(copy_statement(kind, from, to));
}

} // namespace workbench
