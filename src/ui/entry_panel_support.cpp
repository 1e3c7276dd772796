// entry_panel_support.cpp --- what the data entry forms share.
#include "ui/entry_panel_support.h"

#include "workbench/measurement_entry.h"
#include "workbench/workbench_texts.h"

namespace ui {

QString caption(const app::ProgramState& state, const char* english, const char* german) {
    return QString::fromUtf8(state.language == "D" ? german : english);
}

workbench::CalendarDate calendar_date(const QDate& date) {
    return {date.year(), date.month(), date.day()};
}

std::optional<QDate> picker_date(const workbench::FormDate& date) {
    if (!date.date) return std::nullopt;
    return QDate(date.date->year, date.date->month, date.date->day);
}

bool run_entry(app::Dialogs& dialogs, const std::string& language, const std::string& title,
               const std::function<void()>& write) {
    try {
        write();
        return true;
    } catch (const workbench::FirstYearUnknown&) {
        dialogs.show_error(workbench::ui_text(23, language), workbench::ui_text(22, language));
    } catch (const workbench::EntryRefused& e) {
        dialogs.show_error(title, e.what());
    } catch (const std::exception& e) {
        dialogs.show_error("error", e.what());
    }
    return false;
}

} // namespace ui
