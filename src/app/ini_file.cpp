// ini_file.cpp --- reading tsm.ini and its start-up rules.
#include "app/ini_file.h"

#include "db/text.h"

#include <fstream>

namespace app {

namespace {

std::string unquoted(std::string value) {
    if (value.size() >= 2 && value.front() == '"' && value.back() == '"')
        return value.substr(1, value.size() - 2);
    return value;
}

std::string where(const std::string& file_name, int line) {
    return file_name + ", line " + std::to_string(line) + ": ";
}

} // namespace

IniFile IniFile::parse(std::istream& in, const std::string& file_name) {
    IniFile ini;
    std::string raw;
    std::string section;
    bool in_section = false;
    int number = 0;
    while (std::getline(in, raw)) {
        ++number;
        if (!raw.empty() && raw.back() == '\r') raw.pop_back();
        if (number == 1 && raw.rfind("\xEF\xBB\xBF", 0) == 0) raw.erase(0, 3);
        const std::string line = db::trim(raw);
        if (line.empty() || line[0] == ';' || line[0] == '#') continue;
        if (line[0] == '[') {
            if (line.back() != ']') {
                ini.warnings_.push_back(where(file_name, number) +
                                        "ignored, a section name lacks its ']'");
                continue;
            }
            section = db::lower(db::trim(line.substr(1, line.size() - 2)));
            ini.sections_[section];
            in_section = true;
            continue;
        }
        const auto eq = line.find('=');
        if (eq == std::string::npos || eq == 0) {
            ini.warnings_.push_back(where(file_name, number) + "ignored '" + line +
                                    "', expected [section] or key=value");
            continue;
        }
        if (!in_section) {
            ini.warnings_.push_back(where(file_name, number) + "ignored '" + line +
                                    "', a key before the first [section]");
            continue;
        }
        const std::string key = db::lower(db::trim(line.substr(0, eq)));
        ini.sections_[section].try_emplace(key, unquoted(db::trim(line.substr(eq + 1))));
    }
    return ini;
}

IniFile IniFile::load(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw IniError("cannot read the initialisation file " + path.string());
    IniFile ini = parse(in, path.string());
    if (in.bad()) throw IniError("cannot read the initialisation file " + path.string());
    return ini;
}

bool IniFile::has_section(std::string_view section) const {
    return sections_.count(db::lower(std::string(section))) > 0;
}

std::optional<std::string> IniFile::value(std::string_view section, std::string_view key) const {
    const auto s = sections_.find(db::lower(std::string(section)));
    if (s == sections_.end()) return std::nullopt;
    const auto k = s->second.find(db::lower(std::string(key)));
    if (k == s->second.end()) return std::nullopt;
    return k->second;
}

std::string IniFile::value_or(std::string_view section, std::string_view key,
                              const std::string& fallback) const {
    return value(section, key).value_or(fallback);
}

std::filesystem::path ini_path(const std::filesystem::path& program_dir) {
    return program_dir / "tsm.ini";
}

std::string language_code(std::string_view value) {
    return db::iequals(db::trim(value), "D") ? "D" : "E";
}

void apply_ini_rules(const IniFile& ini, ProgramState& state) {
    if (ini.has_section("SETUP")) {
        state.language = language_code(ini.value_or("SETUP", "lang", "D"));
        state.system_tag = db::trim(ini.value_or("SETUP", "sys", "int")) == "bio" ? "bio" : "int";
        state.database = ini.value_or("SETUP", "DB", "?");
    }
    if (ini.has_section("MODUS"))
        state.modus = ini.value_or("MODUS", "mode", "TSM") == "KORVEX" ? "KORVEX" : "TSM";
}

} // namespace app
