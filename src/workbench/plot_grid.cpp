// plot_grid.cpp --- replicating and pasting rows of the plot grid.
#include "workbench/plot_grid.h"

#include "app/datamodel.h"
#include "db/connection.h"
#include "db/text.h"
#include "workbench/form_numbers.h"

#include <stdexcept>

namespace workbench {
namespace {

// Whether a column of field_description holds numbers, by its declared type.
bool numeric_column(db::Connection& conn, const std::string& column) {
    db::Statement q = conn.prepare_native("SELECT " + db::quoted(column, '"') +
                                          " FROM field_description LIMIT 0");
    const std::string type = db::upper(q.column_decltype(0));
    for (const char* numeric : {"INT", "REAL", "FLOA", "DOUB", "NUM"})
        if (type.find(numeric) != std::string::npos) return true;
    return false;
}

db::Value column_value(bool numeric, const std::string& column, const std::string& text) {
    if (!numeric) return text;
    if (text.empty()) return {};
    if (const auto v = read_decimal(text)) return *v;
    throw std::invalid_argument("The value \"" + text + "\" pasted into the column " + column +
                                " of field_description is not a number; nothing was pasted.");
}

} // namespace

std::vector<std::int64_t> replicate_plot_record(db::Connection& conn, db::Dataset& grid,
                                                int count) {
    std::vector<std::int64_t> ids;
    if (count < 1) return ids;
    const db::Dataset::Row source = grid.row();
    const std::vector<std::string> fields = grid.field_names();
    for (int n = 0; n < count; ++n) {
        const std::int64_t id = app::get_key(conn, "field_description", "fl_id");
        grid.append();
        for (std::size_t i = 0; i < fields.size(); ++i) grid.set_field(fields[i], source[i]);
        grid.set_field("FL_ID", id);
        grid.post();
        ids.push_back(id);
    }
    return ids;
}

std::vector<std::string> clipboard_values(const std::string& clipboard) {
    std::vector<std::string> values;
    std::string value;
    for (std::size_t i = 0; i < clipboard.size(); ++i) {
        const char c = clipboard[i];
        if (c == '\r' || c == '\n') {
            if (c == '\r' && i + 1 < clipboard.size() && clipboard[i + 1] == '\n') ++i;
            values.push_back(db::upper(value));
            value.clear();
        } else if (c != ' ') {
            value += c;
        }
    }
    // A last line without a line break counts when it holds more than blanks.
    if (!value.empty()) values.push_back(db::upper(value));
    return values;
}

int paste_plot_values(db::Connection& conn, db::Dataset& grid, const std::string& column,
                      const std::string& clipboard) {
    const std::vector<std::string> texts = clipboard_values(clipboard);
    if (texts.empty() || grid.empty() || grid.record_number() >= grid.record_count() - 1) return 0;
    const bool numeric = numeric_column(conn, column);
    std::vector<db::Value> values;
    for (const std::string& text : texts) values.push_back(column_value(numeric, column, text));
    for (const db::Value& v : values) {
        grid.edit();
        grid.set_field(column, v);
        grid.post();
        if (grid.record_number() < grid.record_count() - 1) grid.next();
    }
    return static_cast<int>(values.size());
}

} // namespace workbench
