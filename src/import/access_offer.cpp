#include "import/access_offer.h"

#include "import/database_import.h"

#include <filesystem>

namespace fs = std::filesystem;

namespace import {

namespace {

std::int64_t rows_written(const ImportReport& report) {
    std::int64_t rows = 0;
    for (const TableReport& t : report.tables) rows += t.rows_written;
    return rows;
}

} // namespace

std::optional<std::string> offer_access_conversion(const std::string& file,
                                                   const std::string& language,
                                                   app::Dialogs& dialogs) {
    const bool german = language == "D";
    const std::string title = german ? "Access-Datenbank" : "Access database";
    const fs::path target = free_import_target(file);
    const std::string name = fs::path(file).filename().string();
    const std::string new_name = target.filename().string();
    const std::string question =
        german ? "'" + name + "' ist eine Access-Datenbank. In die neue Versuchsdatenbank '" +
                     new_name + "' daneben umwandeln und diese öffnen?"
               : "'" + name +
                     "' is an Access database. Convert it into the new experiment "
                     "database '" +
                     new_name + "' beside it and open that?";
    if (!dialogs.ask_yes_no(title, question)) return std::nullopt;
    try {
        const ImportReport report = import_database(file, target);
        const std::string tables = std::to_string(report.tables.size());
        const std::string rows = std::to_string(rows_written(report));
        dialogs.show_message(title, german ? "'" + name + "' wurde in '" + new_name +
                                                 "' umgewandelt: " + tables + " Tabellen, " + rows +
                                                 " Zeilen."
                                           : "'" + name + "' was converted into '" + new_name +
                                                 "': " + tables + " tables, " + rows + " rows.");
        return target.string();
    } catch (const std::exception& e) {
        dialogs.show_message(
            title, (german ? "Die Umwandlung ist fehlgeschlagen: " : "The conversion failed: ") +
                       std::string(e.what()));
        return std::nullopt;
    }
}

} // namespace import
