// dataset.h --- the rows of a query held in memory: walked, located, filtered, edited.
#pragma once

#include "db/value.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace db {

class Connection;

// A query result with a cursor. When the query reads one table (or is a table's
// name), the rows can be edited, appended and deleted; post() writes to that table
// by rowid. Field names are found without regard to case.
class Dataset {
public:
    using Row = std::vector<Value>;

    Dataset() = default;
    Dataset(Connection* connection, std::vector<std::string> fields, std::vector<Row> rows,
            std::string table = {}, std::vector<std::optional<std::int64_t>> rowids = {},
            std::vector<std::string> table_columns = {});

    // Fields.
    int field_count() const { return static_cast<int>(fields_.size()); }
    const std::vector<std::string>& field_names() const { return fields_; }
    int field_index(const std::string& name) const; // -1 when absent
    bool has_field(const std::string& name) const { return field_index(name) >= 0; }

    // Cursor over the visible (filtered) rows.
    int record_count() const { return static_cast<int>(visible_.size()); }
    bool empty() const { return visible_.empty(); }
    bool eof() const { return pos_ >= record_count(); }
    bool bof() const { return pos_ < 0 || record_count() == 0; }
    int record_number() const { return pos_; } // 0-based
    void first() { pos_ = 0; }
    void last() { pos_ = record_count() - 1; }
    void next() { ++pos_; }
    void prior() { --pos_; }
    void move_to(int record) { pos_ = record; }

    // Values of the current row. Throw db::Error on a missing field or no current row.
    const Value& field(const std::string& name) const;
    const Value& field(int index) const;
    const Value& operator[](const std::string& name) const { return field(name); }
    const Row& row() const;

    // Moves to the first row whose field equals the value (texts without regard to
    // case); false, cursor unchanged, when none does.
    bool locate(const std::string& field, const Value& v);
    // Shows only the rows the predicate accepts; an empty function shows all.
    void set_filter(std::function<bool(const Dataset&, const Row&)> accept);
    // Value of a field in a given row (for filters).
    const Value& value_in(const Row& row, const std::string& name) const;

    // Editing (only for data sets of one table).
    bool editable() const { return !table_.empty(); }
    void edit();
    void append();
    void set_field(const std::string& name, const Value& v);
    void post();
    void cancel();
    void delete_record();

private:
    int checked_index(const std::string& name) const;
    void require_row() const;
    void require_editable() const;
    void rebuild_visible();
    std::size_t current_index() const { return visible_.at(static_cast<std::size_t>(pos_)); }

    Connection* connection_ = nullptr;
    std::vector<std::string> fields_;
    std::vector<Row> rows_;
    std::vector<std::size_t> visible_;
    std::function<bool(const Dataset&, const Row&)> filter_;
    int pos_ = 0;

    std::string table_;
    std::vector<std::optional<std::int64_t>> rowids_; // per row; empty for appended rows
    std::vector<std::string> table_columns_;          // field -> column name, "" when computed

    enum class Mode { browse, edit, insert } mode_ = Mode::browse;
    Row buffer_;
};

} // namespace db
