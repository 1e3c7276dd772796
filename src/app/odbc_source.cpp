// odbc_source.cpp --- pointing the user's ODBC data source T_S_M at the current database.
#include "app/odbc_source.h"

#include "db/text.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string_view>
#include <vector>

#ifdef _WIN32
#include <QSettings>
#else
#include <unistd.h>
#endif

namespace app {

namespace {

const char* const source_name = "T_S_M";

// One line of the file: its text and its line end ("\n", "\r\n" or "" at the end).
struct Line {
    std::string text, end;
};

std::vector<Line> split_lines(const std::string& text) {
    std::vector<Line> lines;
    std::size_t pos = 0;
    while (pos < text.size()) {
        const std::size_t nl = text.find('\n', pos);
        std::string line = text.substr(pos, nl == std::string::npos ? std::string::npos : nl - pos);
        std::string end = nl == std::string::npos ? "" : "\n";
        if (!end.empty() && !line.empty() && line.back() == '\r') {
            line.pop_back();
            end = "\r\n";
        }
        lines.push_back({std::move(line), std::move(end)});
        pos = nl == std::string::npos ? text.size() : nl + 1;
    }
    return lines;
}

std::string_view trimmed(std::string_view s) {
    const auto first = s.find_first_not_of(" \t");
    if (first == std::string_view::npos) return {};
    return s.substr(first, s.find_last_not_of(" \t") - first + 1);
}

bool is_header(const Line& l) {
    return trimmed(l.text).starts_with('[');
}

bool is_source_header(const Line& l) {
    const std::string_view t = trimmed(l.text);
    return t.size() >= 2 && t.front() == '[' && t.back() == ']' &&
           db::iequals(trimmed(t.substr(1, t.size() - 2)), source_name);
}

// Sets the value of "key = value" lines named key; false when the line has another key.
bool set_if_key(Line& l, std::string_view key, const std::string& value) {
    const std::size_t eq = l.text.find('=');
    if (eq == std::string::npos || !db::iequals(trimmed(l.text.substr(0, eq)), key)) return false;
    const std::size_t value_at = l.text.find_first_not_of(" \t", eq + 1);
    l.text = l.text.substr(0, value_at == std::string::npos ? eq + 1 : value_at) + value;
    return true;
}

std::string joined(const std::vector<Line>& lines) {
    std::string out;
    for (const Line& l : lines) out += l.text + l.end;
    return out;
}

#ifdef _WIN32
bool point_source_quietly(const std::string& db_path) {
    QSettings sources("HKEY_CURRENT_USER\\Software\\ODBC\\ODBC.INI", QSettings::NativeFormat);
    if (!sources.childGroups().contains(source_name, Qt::CaseInsensitive)) return false;
    sources.setValue(QString(source_name) + "/DBQ", QString::fromStdString(db_path));
    sources.sync();
    return sources.status() == QSettings::NoError;
}
#else
bool write_file_atomically(const std::filesystem::path& file, const std::string& text) {
    std::filesystem::path tmp = file;
    tmp += ".tmp-" + std::to_string(::getpid());
    std::error_code ec;
    {
        std::ofstream out(tmp, std::ios::binary | std::ios::trunc);
        out << text;
        out.close();
        if (!out) {
            std::filesystem::remove(tmp, ec);
            return false;
        }
    }
    std::filesystem::permissions(tmp, std::filesystem::status(file, ec).permissions(), ec);
    std::filesystem::rename(tmp, file, ec);
    if (ec) std::filesystem::remove(tmp, ec);
    return !ec;
}

bool point_source_quietly(const std::string& db_path) {
    const std::filesystem::path file = user_odbc_ini();
    if (file.empty()) return false;
    std::ifstream in(file, std::ios::binary);
    if (!in) return false;
    std::ostringstream text;
    text << in.rdbuf();
    const auto edited = with_odbc_database(text.str(), db_path);
    return edited && write_file_atomically(file, *edited);
}
#endif

} // namespace

bool point_odbc_source_at(const std::string& db_path) {
    return point_source_quietly(db_path);
}

std::filesystem::path user_odbc_ini() {
    if (const char* ini = std::getenv("ODBCINI"); ini && *ini) return ini;
    if (const char* home = std::getenv("HOME"); home && *home)
        return std::filesystem::path(home) / ".odbc.ini";
    return {};
}

std::optional<std::string> with_odbc_database(const std::string& ini_text,
                                              const std::string& db_path) {
    std::vector<Line> lines = split_lines(ini_text);
    auto it = std::find_if(lines.begin(), lines.end(), is_source_header);
    if (it == lines.end()) return std::nullopt;
    const std::size_t header = static_cast<std::size_t>(it - lines.begin());
    std::size_t end = header + 1;
    while (end < lines.size() && !is_header(lines[end])) ++end;

    std::size_t last_filled = header; // the section's last line that is not blank
    bool has_dbq = false, has_database = false;
    for (std::size_t i = header + 1; i < end; ++i) {
        if (!trimmed(lines[i].text).empty()) last_filled = i;
        has_dbq = set_if_key(lines[i], "DBQ", db_path) || has_dbq;
        has_database = set_if_key(lines[i], "Database", db_path) || has_database;
    }
    std::vector<Line> added;
    const std::string eol = lines[header].end.empty() ? "\n" : lines[header].end;
    if (!has_dbq) added.push_back({"DBQ=" + db_path, eol});
    if (!has_database) added.push_back({"Database=" + db_path, eol});
    if (!added.empty() && lines[last_filled].end.empty()) lines[last_filled].end = eol;
    lines.insert(lines.begin() + static_cast<std::ptrdiff_t>(last_filled + 1), added.begin(),
                 added.end());
    return joined(lines);
}

std::string missing_odbc_source_message(const std::string& db_path) {
#ifdef _WIN32
    (void)db_path;
    return "Please add T_S_M as MS-ACCESS user-datasource for ODBC";
#else
    const std::filesystem::path ini = user_odbc_ini();
    return "Scripts (R and others) find the experiment database through the ODBC data source "
           "T_S_M, which is missing. Add this section to " +
           (ini.empty() ? std::string("~/.odbc.ini") : ini.string()) +
           ":\n\n[T_S_M]\nDriver=SQLite3\nDatabase=" + db_path +
           "\nStepAPI=1\n\nThe driver SQLite3 comes with the package libsqliteodbc. From then on "
           "the "
           "workbench points the data source at the database in use.";
#endif
}

bool update_odbc_source(const std::string& db_path, Dialogs& dialogs) {
    if (point_odbc_source_at(db_path)) return true;
    dialogs.show_message("ODBC data source", missing_odbc_source_message(db_path));
    return false;
}

} // namespace app
