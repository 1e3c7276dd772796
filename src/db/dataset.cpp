#include "db/dataset.h"

#include "db/connection.h"
#include "db/db_error.h"
#include "db/jet/translation.h"
#include "db/jet_functions.h"
#include "db/text.h"

#include <cctype>
#include <sqlite3.h>

namespace db {
namespace {

bool equal_values(const Value& a, const Value& b) {
    if (a.is_text() && b.is_text()) return compare_text_nocase(a.as_text(), b.as_text()) == 0;
    if (a.is_number() && b.is_number()) return a.as_double() == b.as_double();
    return a == b;
}

} // namespace

Dataset::Dataset(Connection* connection, std::vector<std::string> fields, std::vector<Row> rows,
                 std::string table, std::vector<std::optional<std::int64_t>> rowids,
                 std::vector<std::string> table_columns)
    : connection_(connection), fields_(std::move(fields)), rows_(std::move(rows)),
      table_(std::move(table)), rowids_(std::move(rowids)),
      table_columns_(std::move(table_columns)) {
    rebuild_visible();
}

int Dataset::field_index(const std::string& name) const {
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (iequals(fields_[i], name)) return static_cast<int>(i);
    return -1;
}

int Dataset::checked_index(const std::string& name) const {
    const int i = field_index(name);
    if (i < 0) throw Error("The data set has no field '" + name + "'.");
    return i;
}

void Dataset::require_row() const {
    if (pos_ < 0 || pos_ >= record_count()) throw Error("There is no current record.");
}

const Dataset::Row& Dataset::row() const {
    if (mode_ != Mode::browse) return buffer_;
    require_row();
    return rows_[current_index()];
}

const Value& Dataset::field(int index) const {
    const Row& r = row();
    if (index < 0 || index >= static_cast<int>(r.size()))
        throw Error("Field number " + std::to_string(index) + " is out of range.");
    return r[static_cast<std::size_t>(index)];
}

const Value& Dataset::field(const std::string& name) const {
    return field(checked_index(name));
}

const Value& Dataset::value_in(const Row& row, const std::string& name) const {
    return row.at(static_cast<std::size_t>(checked_index(name)));
}

bool Dataset::locate(const std::string& name, const Value& v) {
    const std::size_t f = static_cast<std::size_t>(checked_index(name));
    for (std::size_t i = 0; i < visible_.size(); ++i)
        if (equal_values(rows_[visible_[i]][f], v)) {
            pos_ = static_cast<int>(i);
            return true;
        }
    return false;
}

void Dataset::set_filter(std::function<bool(const Dataset&, const Row&)> accept) {
    filter_ = std::move(accept);
    rebuild_visible();
    pos_ = 0;
}

void Dataset::rebuild_visible() {
    visible_.clear();
    for (std::size_t i = 0; i < rows_.size(); ++i)
        if (!filter_ || filter_(*this, rows_[i])) visible_.push_back(i);
}

void Dataset::require_editable() const {
    if (!editable()) throw Error("The data set cannot be changed: it does not read one table.");
}

void Dataset::edit() {
    require_editable();
    require_row();
    buffer_ = rows_[current_index()];
    mode_ = Mode::edit;
}

void Dataset::append() {
    require_editable();
    buffer_.assign(fields_.size(), Value());
    mode_ = Mode::insert;
}

void Dataset::set_field(const std::string& name, const Value& v) {
    if (mode_ == Mode::browse) edit();
    buffer_[static_cast<std::size_t>(checked_index(name))] = v;
}

void Dataset::cancel() {
    mode_ = Mode::browse;
    buffer_.clear();
}

// Writes the edited or appended row into the table by rowid; an appended row is read
// back so that defaults and keys the database assigned are visible.
void Dataset::post() {
    if (mode_ == Mode::browse) return;
    std::vector<std::size_t> writable;
    for (std::size_t i = 0; i < fields_.size(); ++i)
        if (i < table_columns_.size() && !table_columns_[i].empty()) writable.push_back(i);
    const std::string table = jet::quote_name(table_);
    if (mode_ == Mode::edit) {
        std::string sql = "UPDATE " + table + " SET ";
        for (std::size_t k = 0; k < writable.size(); ++k)
            sql += (k ? ", " : "") + jet::quote_name(table_columns_[writable[k]]) + " = ?";
        Statement st = connection_->prepare_native(sql + " WHERE rowid = ?");
        std::vector<Value> params;
        for (std::size_t i : writable) params.push_back(buffer_[i]);
        params.emplace_back(*rowids_[current_index()]);
        st.execute(params);
        rows_[current_index()] = buffer_;
    } else {
        std::string cols, marks;
        std::vector<Value> params;
        for (std::size_t i : writable) {
            if (buffer_[i].is_null()) continue; // the column's default applies
            cols += (cols.empty() ? "" : ", ") + jet::quote_name(table_columns_[i]);
            marks += marks.empty() ? "?" : ", ?";
            params.push_back(buffer_[i]);
        }
        Statement st = connection_->prepare_native(
            cols.empty() ? "INSERT INTO " + table + " DEFAULT VALUES"
                         : "INSERT INTO " + table + " (" + cols + ") VALUES (" + marks + ")");
        st.execute(params);
        const std::int64_t rowid = sqlite3_last_insert_rowid(connection_->handle());
        std::string select;
        for (std::size_t i : writable)
            select += (select.empty() ? "" : ", ") + jet::quote_name(table_columns_[i]);
        if (!select.empty()) {
            Statement back = connection_->prepare_native("SELECT " + select + " FROM " + table +
                                                         " WHERE rowid = ?");
            back.bind(1, Value(rowid));
            if (back.step())
                for (std::size_t k = 0; k < writable.size(); ++k)
                    buffer_[writable[k]] = back.column(static_cast<int>(k));
        }
        rows_.push_back(buffer_);
        rowids_.emplace_back(rowid);
        rebuild_visible();
        pos_ = record_count() - 1;
        for (int i = 0; i < record_count(); ++i)
            if (visible_[static_cast<std::size_t>(i)] == rows_.size() - 1) pos_ = i;
    }
    mode_ = Mode::browse;
    buffer_.clear();
}

void Dataset::delete_record() {
    require_editable();
    require_row();
    const std::size_t r = current_index();
    Statement st =
        connection_->prepare_native("DELETE FROM " + jet::quote_name(table_) + " WHERE rowid = ?");
    st.execute({Value(*rowids_[r])});
    rows_.erase(rows_.begin() + static_cast<std::ptrdiff_t>(r));
    rowids_.erase(rowids_.begin() + static_cast<std::ptrdiff_t>(r));
    rebuild_visible();
    if (pos_ >= record_count()) pos_ = record_count() - 1;
}

} // namespace db
