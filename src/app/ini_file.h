// ini_file.h --- the optional initialisation file tsm.ini beside the program.
#pragma once

#include "app/program_state.h"

#include <filesystem>
#include <istream>
#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

namespace app {

class IniError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// An initialisation file read leniently, as the platform's own profile reading does:
// - section and key names are compared without regard to ASCII case;
// - blanks around names and values are removed, and one pair of double quotes
//   around a whole value too;
// - lines whose first non-blank character is ";" or "#" are comments; text after a
//   value is part of the value (paths may hold ";" and "#");
// - a key that appears twice in a section keeps its first value, a section that
//   appears twice is one section;
// - a line that is neither "[section]", "key=value", a comment nor blank, and a key
//   before the first section, are skipped and recorded in warnings() as
//   "<file>, line <n>: ..." so that a caller can show them.
// Only a file that exists but cannot be read is an error (IniError naming the file).
class IniFile {
public:
    static IniFile parse(std::istream& in, const std::string& file_name);
    static IniFile load(const std::filesystem::path& path);

    bool has_section(std::string_view section) const;
    std::optional<std::string> value(std::string_view section, std::string_view key) const;
    std::string value_or(std::string_view section, std::string_view key,
                         const std::string& fallback) const;
    const std::vector<std::string>& warnings() const { return warnings_; }

private:
    std::map<std::string, std::map<std::string, std::string>> sections_; // lower-case names
    std::vector<std::string> warnings_;
};

// The initialisation file of a program in program_dir: program_dir/tsm.ini.
std::filesystem::path ini_path(const std::filesystem::path& program_dir);

// The language code from a "lang" value or the settings value "language": "D" for
// "D" or "d" (blanks around it ignored), "E" for everything else, so that the rest of
// the program only ever sees "D" or "E".
std::string language_code(std::string_view value);

// The rules of the initialisation file: section "SETUP" gives the language ("lang",
// default "D"), the system tag ("sys", default "int"; blanks removed, anything but
// "bio" is "int") and the database ("DB", default "?"); section "MODUS" gives the
// mode ("mode", default "TSM"; "KORVEX" stays, any other value is "TSM"). A missing
// section leaves its fields as they are.
void apply_ini_rules(const IniFile& ini, ProgramState& state);

} // namespace app
