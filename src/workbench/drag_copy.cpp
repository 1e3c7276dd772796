// drag_copy.cpp --- copying management and measurements between plots.
#include "workbench/drag_copy.h"

#include "app/dialogs.h"
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

CopyQuestion copy_question(CopyKind kind, const std::string& target, int added, int existing,
                           const std::string& language) {
    CopyQuestion q = copy_question(kind, target, language);
    const std::string n = std::to_string(added), m = std::to_string(existing);
    if (language == "D")
        q.text += "\n" + n + " Sätze kommen zu den " + m + " vorhandenen hinzu." +
                  (existing > 0 ? " Mit Nein können Sie diese stattdessen ersetzen." : "");
    else
        q.text += "\n" + n + " records are added to the " + m + " it has." +
                  (existing > 0 ? " Answer No to replace them instead." : "");
    return q;
}

CopyQuestion replace_question(CopyKind kind, const std::string& target, const std::string& source,
                              int added, int existing, const std::string& language) {
    const bool management = kind == CopyKind::management;
    const std::string n = std::to_string(added), m = std::to_string(existing);
    if (language == "D")
        return {confirm_caption(language),
                "Die " + m + (management ? " Bewirtschaftungssätze" : " Messwerte") +
                    " von Fläche " + target + " löschen und die " + n + " von Fläche " + source +
                    " an ihre Stelle kopieren?"};
    return {confirm_caption(language), "Delete the " + m +
                                           (management ? " management records" : " measurements") +
                                           " of plot " + target + " and copy the " + n +
                                           " of plot " + source + " in their place?"};
}

std::string copy_report_caption(CopyKind kind, const std::string& language) {
    return ui_text(kind == CopyKind::management ? 24 : 25, language);
}

std::string copy_report(int copied, const std::string& language) {
    return std::to_string(copied) + ui_text(30, language);
}

std::string replace_report(int copied, int deleted, const std::string& language) {
    return copy_report(copied, language) + "; " + std::to_string(deleted) +
           (language == "D" ? " Sätze gelöscht" : " records deleted");
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

namespace {

const char* table_of(CopyKind kind) {
    return kind == CopyKind::management ? "cultivation" : "measurements";
}

} // namespace

int count_plot_data(db::Connection& conn, CopyKind kind, std::int64_t fl_id) {
    return static_cast<int>(conn.scalar("select count(*) from " + std::string(table_of(kind)) +
                                        " where FL_ID=" + std::to_string(fl_id))
                                .as_int());
}

std::optional<CopyMode> ask_copy_mode(app::Dialogs& dialogs, CopyKind kind,
                                      const std::string& target, const std::string& source,
                                      int added, int existing, const std::string& language) {
    const CopyQuestion add = copy_question(kind, target, added, existing, language);
    if (dialogs.ask_yes_no(add.caption, add.text)) return CopyMode::add;
    if (existing == 0) return std::nullopt;
    const CopyQuestion replace = replace_question(kind, target, source, added, existing, language);
    if (dialogs.ask_yes_no(replace.caption, replace.text)) return CopyMode::replace;
    return std::nullopt;
}

int copy_plot_data(db::Connection& conn, CopyKind kind, std::int64_t from, std::int64_t to,
                   CopyMode mode) {
    db::Transaction tx(conn, true);
    if (mode == CopyMode::replace)
        conn.execute("delete from " + std::string(table_of(kind)) +
                     " where FL_ID=" + std::to_string(to));
    const int copied = conn.execute(copy_statement(kind, from, to));
    tx.commit();
    return copied;
}

} // namespace workbench
