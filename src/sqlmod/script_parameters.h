// script_parameters.h --- "$" parameters of a script and the table of their values.
#pragma once

#include <array>
#include <stdexcept>
#include <string>
#include <vector>

namespace sqlmod {

// The parameter names of a script in the order they first appear, each once (names
// differing only in case are one). A name is "$" followed by letters, digits and "_",
// not inside quotes, not the end of a longer word (Left$), not on a comment line.
std::vector<std::string> parameter_names(const std::string& script);

// A value is missing for a parameter: names it; nothing was replaced or run.
class MissingValue : public std::runtime_error {
public:
    explicit MissingValue(const std::vector<std::string>& names);
    const std::vector<std::string>& names() const { return names_; }

private:
    std::vector<std::string> names_;
};

// The parameter table: ten rows of name (with its "$") and value.
class ParameterTable {
public:
    static constexpr int rows = 10;
    struct Row {
        std::string name, value;
    };

    // Adds the script's names not yet in the table in the next free rows (at most ten
    // names in all; further ones are left out). Returns var_count.
    int collect(const std::string& script);
    // Empties both columns of every row.
    void clear();
    // The number of rows with a name.
    int var_count() const;

    Row& row(int i) { return rows_.at(static_cast<std::size_t>(i)); }
    const Row& row(int i) const { return rows_.at(static_cast<std::size_t>(i)); }

    // The script with every whole parameter name replaced by its value, ignoring case.
    // Throws MissingValue when a name of the script has no value in the table.
    std::string apply(const std::string& script) const;

private:
    const Row* find(const std::string& name) const;

    std::array<Row, rows> rows_;
};

} // namespace sqlmod
