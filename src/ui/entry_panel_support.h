// entry_panel_support.h --- what the data entry forms of the workbench share: their link to
// the window, captions in both languages, dates of the date pickers, refusals shown.
#pragma once

#include "app/dialogs.h"
#include "app/program_state.h"
#include "workbench/row_change.h"

#include <QDate>
#include <QString>
#include <algorithm>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace db {
class Connection;
}

namespace ui {

struct EntryPanelEnvironment {
    std::function<db::Connection&()> connection; // the shared connection
    app::Dialogs& dialogs;
    app::ProgramState& state;     // language and regional mode
    std::function<void()> reload; // shows the active plot again after a write
};

// The English caption, or the German one when the language is "D".
QString caption(const app::ProgramState& state, const char* english, const char* german);

// Year, month and day of a picker's date (whatever the locale shows).
workbench::CalendarDate calendar_date(const QDate& date);

// A date of a form as the picker takes it; nothing when it does not convert.
std::optional<QDate> picker_date(const workbench::FormDate& date);

// Runs a write of a form: a refusal is shown under the form's title with its message that
// names the field; a plot without initial value gets the workbench's own denial; other
// failures are shown as errors. Returns whether the write went through.
bool run_entry(app::Dialogs& dialogs, const std::string& language, const std::string& title,
               const std::function<void()>& write);

// The row a form's list selects after it was filled again: the row whose key is `written`
// (the record just written); else, when the form keeps a selection, the row at `position`
// held within the list; else none (-1).
template <class Row, class Key>
int row_after_reload(const std::vector<Row>& rows, Key key, std::int64_t written, bool reselect,
                     int position) {
    for (std::size_t i = 0; i < rows.size(); ++i)
        if (key(rows[i]) == written) return static_cast<int>(i);
    if (!reselect || rows.empty()) return -1;
    return std::min(std::max(position, 0), static_cast<int>(rows.size()) - 1);
}

} // namespace ui
