// statement_file.h --- running a script of statements, line by line, as users write them.
#pragma once

#include "db/connection.h"

#include <functional>
#include <optional>
#include <string>

namespace db {

// Runs a statement script:
// - each line is trimmed; a line containing "#" anywhere, an empty line and a line
//   beginning with "'" are ignored;
// - other lines are appended to the current statement; a line "go" runs it;
// - a statement with a line containing "drop" ignores its own failure;
// - a statement whose text contains insert, update, delete, into or drop runs as a
//   command, any other as a query; queries ended by "go" are closed at once;
// - after the last line a pending statement runs the same way, and a query stays open.
// A failing statement stops the script with db::Error; earlier statements stay done.
class StatementScript {
public:
    using Progress = std::function<void(const std::string& statement)>;

    explicit StatementScript(Connection& c, Progress before_each = {})
        : c_(c), before_each_(std::move(before_each)) {}

    // Runs the script; returns the rows of the last statement when it is a query.
    std::optional<Dataset> run(const std::string& script);

    // Statements run (including those whose failure was ignored).
    int statements_run() const { return run_; }
    // Whether a statement text runs as a command (true) or as a query.
    static bool is_command(const std::string& statement);

private:
    std::optional<Dataset> run_one(const std::string& statement, bool ignore_failure, bool keep);

    Connection& c_;
    Progress before_each_;
    int run_ = 0;
};

} // namespace db
