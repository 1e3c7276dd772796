// odbc_source.h --- pointing the user's ODBC data source T_S_M at the current database.
#pragma once

#include "app/dialogs.h"

#include <filesystem>
#include <optional>
#include <string>

namespace app {

// The file of the user's ODBC data sources: $ODBCINI when set, else $HOME/.odbc.ini;
// empty when neither is set.
std::filesystem::path user_odbc_ini();

// The text of an odbc.ini with DBQ and Database of the section [T_S_M] set to db_path
// (added at the end of the section when absent); every other line as it was. Nothing
// when the file has no such section: the user sets the data source up, never we.
std::optional<std::string> with_odbc_database(const std::string& ini_text,
                                              const std::string& db_path);

// What the user adds so that scripts find the database: on Linux the section [T_S_M] of
// the user's odbc.ini with the SQLite3 driver (package libsqliteodbc), naming the file.
std::string missing_odbc_source_message(const std::string& db_path);

// Points the data source T_S_M (the user's odbc.ini; the registry on Windows) at db_path,
// so that external statistics scripts find the database. When the source is missing or
// cannot be written: missing_odbc_source_message titled "ODBC data source", and false.
bool update_odbc_source(const std::string& db_path, Dialogs& dialogs);

// The same without any message: false when the source is missing or cannot be written.
bool point_odbc_source_at(const std::string& db_path);

} // namespace app
