// database_opening.cpp --- the connection string, opening the experiment database at
// start and changing it from the launcher.
#include "app/database_opening.h"

#include "db/db_error.h"
#include "db/text.h"

namespace app {

namespace {

constexpr const char* provider_options =
    ";Mode=Share Deny None;Jet OLEDB:System database=\"\";Jet OLEDB:Registry Path=\"\";"
    "Jet OLEDB:Database Password=\"\";Jet OLEDB:Engine Type=4;Jet OLEDB:Database Locking "
    "Mode=0;Jet OLEDB:Global Partial Bulk Ops=2;Jet OLEDB:Global Bulk Transactions=1;";
constexpr const char* extended_properties = "Extended Properties=\"\";";
constexpr const char* database_options =
    "Jet OLEDB:New Database Password=\"\";Jet OLEDB:Create System Database=False;"
    "Jet OLEDB:Encrypt Database=False;Jet OLEDB:Don't Copy Locale on Compact=False;"
    "Jet OLEDB:Compact Without Replica Repair=False;Jet OLEDB:SFP=False";

constexpr const char* error_title = "database error";

bool contains_nocase(const std::string& text, const std::string& part) {
    return db::lower(text).find(db::lower(part)) != std::string::npos;
}

// The file name of a path, for either kind of separator.
std::string file_name(const std::string& path) {
    const auto cut = path.find_last_of("/\\");
    return cut == std::string::npos ? path : path.substr(cut + 1);
}

void set_label(DatabaseLink& link, const std::string& path) {
    link.label = "system database=" + file_name(path);
}

// Opens the database file in place of the current one, which stays open when the file
// cannot be opened (or, with `experiment_only`, is not an experiment database); after a
// successful connect the label names the current database.
void connect(DatabaseLink& link, const ProgramState& state, bool experiment_only) {
    db::Connection opened(link.path);
    if (experiment_only)
        if (const auto table = missing_core_table(opened))
            throw db::Error("The file '" + link.path +
                            "' is not an experiment database: it has no table " + *table + ".");
    link.connection = std::move(opened);
    set_label(link, state.db_f_name);
}

// Opens the database; when that fails, offers the connection-string editor once and
// records an edited string. A second failure is shown and leaves the connection as it was.
bool open_with_editor(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                      Dialogs& dialogs, bool experiment_only) {
    try {
        connect(link, state, experiment_only);
        return true;
    } catch (const db::Error&) {
        // the editor below gives the user a chance to point at the database
    }
    std::vector<std::string> elements;
    if (auto edited = dialogs.edit_connection_string(link.connection_string)) {
        link.connection_string = *edited;
        elements = split_connection_string(*edited);
        if (const auto source = find_connection_parts(elements).data_source)
            link.path = data_source_path(*source);
    }
    try {
        connect(link, state, experiment_only);
    } catch (const db::Error& e) {
        dialogs.show_error(error_title, e.what());
        return false;
    }
    record_connection(elements, link, settings, state);
    return true;
}

// Adapts the opened database; a failure is shown and leaves the connection open.
void adapt_and_report(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                      Dialogs& dialogs) {
    try {
        Adaptation done = adapt_datamodel(*link.connection, settings, state);
        if (done.method_field) link.method_field = done.method_field;
    } catch (const db::Error& e) {
        dialogs.show_error(error_title, e.what());
    }
}

} // namespace

std::string compose_connection_string(const std::string& provider, const std::string& path) {
    return (provider.empty() ? std::string(default_provider) : provider) +
           "User ID=Admin;Data Source=" + path + " " + provider_options + extended_properties +
           database_options;
}

std::vector<std::string> split_connection_string(const std::string& text) {
    std::string rest = text + ";";
    std::vector<std::string> elements;
    // Take elements up to and including their ";" until the only ";" left closes the rest.
    do {
        const auto end = rest.find(';') + 1;
        elements.push_back(rest.substr(0, end));
        rest.erase(0, end);
    } while (rest.find(';') != std::string::npos && rest.find(';') + 1 < rest.size());
    elements.push_back(rest);
    return elements;
}

ConnectionParts find_connection_parts(const std::vector<std::string>& elements) {
    ConnectionParts parts;
    for (const std::string& element : elements) {
        if (contains_nocase(element, "Data Source="))
            parts.data_source = element.substr(element.find('=') + 1);
        else if (element.find("Provider=") != std::string::npos)
            parts.provider = element;
    }
    return parts;
}

std::string data_source_path(const std::string& data_source) {
    std::string path = data_source;
    if (!path.empty() && path.back() == ';') path.pop_back();
    return db::trim(path);
}

std::string connection_string_path(const std::string& connection_string) {
    const ConnectionParts parts = find_connection_parts(split_connection_string(connection_string));
    return parts.data_source ? data_source_path(*parts.data_source) : std::string();
}

ConnectionParts record_connection(const std::vector<std::string>& elements, DatabaseLink& link,
                                  SettingsStore& settings, ProgramState& state) {
    ConnectionParts parts = find_connection_parts(elements);
    if (parts.data_source) {
        state.db_f_name = data_source_path(*parts.data_source);
        set_label(link, state.db_f_name);
    }
    if (!parts.provider.empty()) state.provider = parts.provider;
    if (!settings.key_exists()) return parts;
    if (parts.data_source) settings.write_string("database", state.db_f_name);
    settings.write_string("provider", parts.provider);
    if (parts.data_source) settings.write_string("DBQ", state.db_f_name);
    return parts;
}

void set_database(DatabaseLink& link, const std::string& provider, const std::string& path) {
    link.path = path;
    link.connection_string = compose_connection_string(provider, path);
}

bool open_database_at_start(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                            Dialogs& dialogs) {
    if (!open_with_editor(link, settings, state, dialogs, false)) return false;
    // The database opened is recorded by its path; the provider is the one in use.
    state.db_f_name = link.path;
    set_label(link, link.path);
    if (state.provider.empty()) state.provider = default_provider;
    if (settings.key_exists()) {
        settings.write_string("database", link.path);
        settings.write_string("provider", state.provider);
        settings.write_string("DBQ", link.path);
    }
    adapt_and_report(link, settings, state, dialogs);
    return true;
}

bool change_database(DatabaseLink& link, SettingsStore& settings, ProgramState& state,
                     Dialogs& dialogs, const OdbcUpdate& update_odbc,
                     const AccessConversion& convert_access) {
    const auto chosen = dialogs.choose_file(state.database_question, database_file_filter);
    if (!chosen) return false;
    const auto file = database_to_open(*chosen, convert_access, state.language, dialogs);
    if (!file) return false;
    // Until the chosen file has opened as an experiment database, the current one stays
    // open and everything keeps naming it.
    const std::string path = link.path, connection_string = link.connection_string,
                      label = link.label, name = state.db_f_name;
    state.db_f_name = *file;
    set_database(link, state.provider, state.db_f_name);
    if (!open_with_editor(link, settings, state, dialogs, true)) {
        link.path = path;
        link.connection_string = connection_string;
        link.label = label;
        state.db_f_name = name;
        return false;
    }
    adapt_and_report(link, settings, state, dialogs);
    if (settings.key_exists()) {
        settings.write_string("database", state.db_f_name);
        if (update_odbc) update_odbc(state.db_f_name, dialogs);
    }
    // The launcher hands `database` to the simulator at every activation: keep it current.
    state.database = state.db_f_name;
    link.simulator_database = state.db_f_name;
    return true;
}

} // namespace app
