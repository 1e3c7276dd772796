// database_opening.h --- the connection string, opening the experiment database at
// start and changing it from the launcher.
#pragma once

#include "app/access_conversion.h"
#include "app/datamodel.h"
#include "app/dialogs.h"
#include "app/program_state.h"
#include "app/settings_store.h"
#include "db/connection.h"

#include <functional>
#include <optional>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* default_provider = "Provider=Microsoft.Jet.OLEDB.4.0;";
// The file dialog of "Change System &Database": SQLite databases first.
inline constexpr const char* database_file_filter =
    "SQLite databases (*.sqlite *.db)|*.sqlite;*.db|ACCESS (*.mdb *.accdb)|*.mdb;*.accdb";

// The shared connection and what the launcher keeps beside it.
struct DatabaseLink {
    std::optional<db::Connection> connection;
    // The database file the connection opens, kept as a path: any character a file name
    // may hold (";" and "=" included) names that file and nothing else.
    std::string path;
    // The connection string of the database, as the user sees and edits it.
    std::string connection_string;
    // The launcher's label below the database button.
    std::string label = "system database";
    // The simulator's database path, set when the database is changed.
    std::string simulator_database;
    // The method field of the settings dialog, when an adaptation read it.
    std::optional<std::string> method_field;
};

// The connection string of a database: the provider element (the default one when
// provider is empty), the user, "Data Source=" with the path and one blank, and the
// fixed provider options.
std::string compose_connection_string(const std::string& provider, const std::string& path);

// The elements of a connection string, each with its closing ";". An empty text gives
// ";" and "".
std::vector<std::string> split_connection_string(const std::string& text);

// The data source and provider element found in an element list.
struct ConnectionParts {
    std::optional<std::string> data_source; // the value after "Data Source=", with its ";"
    std::string provider;                   // the whole provider element, "" when none
};
ConnectionParts find_connection_parts(const std::vector<std::string>& elements);

// The database file named by a data source value: without the closing ";" and without
// surrounding blanks (the composition puts a blank before the ";", and a file name
// here keeps trailing blanks).
std::string data_source_path(const std::string& data_source);

// The database file of a connection string; "" when it names none.
std::string connection_string_path(const std::string& connection_string);

// Records the connection an element list describes: state.db_f_name and the label
// from the data source, state.provider from the provider element, and, when the
// settings key exists, the values "database", "provider" and "DBQ". A list without a
// data source leaves the path, the label and "database"/"DBQ" as they are.
ConnectionParts record_connection(const std::vector<std::string>& elements, DatabaseLink& link,
                                  SettingsStore& settings, ProgramState& state);

// Sets the database file of the link and the connection string composed for it.
void set_database(DatabaseLink& link, const std::string& provider, const std::string& path);

// Opens link.path when the launcher is first shown. When that fails, the
// connection-string editor is offered once (an edited string names the file by its
// "Data Source="); a second failure is shown and leaves no connection. Records the
// database opened (state.db_f_name, the label, "database", "provider", "DBQ") and adapts
// the data model (a failing adaptation is shown; the connection stays open). Returns
// whether a connection is open.
bool open_database_at_start(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                            Dialogs& dialogs);

// Writes the ODBC data source for a database path (the caller's update_odbc_source).
using OdbcUpdate = std::function<bool(const std::string& db_path, Dialogs& dialogs)>;

// "Change System &Database": asks for a database file (cancel: nothing changes), opens
// it in place of the current one (editor on failure, as at start), adapts it, stores
// "database" and the ODBC data source, and sets the simulator's database path. A file
// that cannot be opened or lacks the core tables of an experiment database counts as a
// failure; when the editor does not mend it, the failure is shown and the current
// database stays open with its path, connection string and label.
// Returns whether a new connection is open.
// An Access database chosen goes through convert_access (when given): the converted
// database is opened instead, and nothing changes when there is none.
bool change_database(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                     Dialogs& dialogs, const OdbcUpdate& update_odbc,
                     const AccessConversion& convert_access = {});

} // namespace app
