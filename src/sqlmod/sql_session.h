// sql_session.h --- the SQL module's work: executing scripts, their history and
// parameters, and script files.
#pragma once

#include "db/connection.h"
#include "db/statement_file.h"
#include "sqlmod/script_history.h"
#include "sqlmod/script_parameters.h"

#include <filesystem>
#include <string>

namespace sqlmod {

// The state of the SQL module window, which lives as long as the program.
class SqlSession {
public:
    ScriptHistory history;
    ParameterTable parameters;

    // "execute": refuses (MissingValue) while the script has "$" parameters, after
    // collecting them into the table; otherwise keeps the script in the history and runs
    // it in one transaction (db::ScriptError when it failed and was rolled back).
    db::ScriptResult execute(db::Connection& c, const std::string& script,
                             const db::StatementScript::Progress& before_each = {});

    // "update sql code with parameter values": collects the script's names, refuses
    // (MissingValue) while one has no value, keeps the script as written in the
    // history and returns it with the values in place of the names.
    std::string apply_parameters(const std::string& script);
};

// A script file's text; throws std::runtime_error naming a file that cannot be read.
std::string read_script(const std::filesystem::path& file);
// Writes a script file, ".sql" added to a name without extension; returns the file
// written. Throws std::runtime_error naming a file that cannot be written.
std::filesystem::path write_script(std::filesystem::path file, const std::string& script);

} // namespace sqlmod
