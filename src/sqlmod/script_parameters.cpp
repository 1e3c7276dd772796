#include "sqlmod/script_parameters.h"

#include "db/text.h"

#include <algorithm>
#include <cctype>
#include <functional>
#include <sstream>

namespace sqlmod {
namespace {

bool name_char(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

bool comment_line(const std::string& line) {
    const std::string t = db::trim(line);
    return !t.empty() && (t[0] == '#' || t[0] == '\'');
}

// Calls found(position, length) for each parameter name of a line, outside quotes.
void scan_line(const std::string& line,
               const std::function<void(std::size_t, std::size_t)>& found) {
    if (comment_line(line)) return;
    char quote = 0;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quote) {
            if (c == quote) quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '$' && (i == 0 || !name_char(line[i - 1]))) {
            std::size_t end = i + 1;
            while (end < line.size() && name_char(line[end])) ++end;
            if (end > i + 1) found(i, end - i);
            i = end - 1;
        }
    }
}

// Each line of a script in turn, with whether a line end followed it.
void for_each_line(const std::string& script,
                   const std::function<void(const std::string&, bool)>& f) {
    std::size_t start = 0;
    while (start <= script.size()) {
        const std::size_t end = script.find('\n', start);
        if (end == std::string::npos) {
            if (start < script.size()) f(script.substr(start), false);
            return;
        }
        f(script.substr(start, end - start), true);
        start = end + 1;
    }
}

std::string joined(const std::vector<std::string>& names) {
    std::string text;
    for (const auto& n : names) text += (text.empty() ? "" : ", ") + n;
    return text;
}

} // namespace

std::vector<std::string> parameter_names(const std::string& script) {
    std::vector<std::string> names;
    for_each_line(script, [&](const std::string& line, bool) {
        scan_line(line, [&](std::size_t at, std::size_t length) {
            const std::string name = line.substr(at, length);
            if (std::none_of(names.begin(), names.end(),
                             [&](const std::string& n) { return db::iequals(n, name); }))
                names.push_back(name);
        });
    });
    return names;
}

MissingValue::MissingValue(const std::vector<std::string>& names)
    : std::runtime_error("Enter a value for the parameter" +
                         std::string(names.size() > 1 ? "s " : " ") + joined(names) +
                         " and press \"update sql code with parameter values\"."),
      names_(names) {}

int ParameterTable::collect(const std::string& script) {
    for (const std::string& name : parameter_names(script)) {
        if (find(name)) continue;
        auto free =
            std::find_if(rows_.begin(), rows_.end(), [](const Row& r) { return r.name.empty(); });
        if (free == rows_.end()) break;
        free->name = name;
    }
    return var_count();
}

void ParameterTable::clear() {
    rows_.fill({});
}

int ParameterTable::var_count() const {
    return static_cast<int>(
        std::count_if(rows_.begin(), rows_.end(), [](const Row& r) { return !r.name.empty(); }));
}

const ParameterTable::Row* ParameterTable::find(const std::string& name) const {
    auto it = std::find_if(rows_.begin(), rows_.end(),
                           [&](const Row& r) { return db::iequals(db::trim(r.name), name); });
    return it == rows_.end() ? nullptr : &*it;
}

std::string ParameterTable::apply(const std::string& script) const {
    std::vector<std::string> missing;
    for (const std::string& name : parameter_names(script)) {
        const Row* r = find(name);
        if (!r || r->value.empty()) missing.push_back(name);
    }
    if (!missing.empty()) throw MissingValue(missing);
    std::string out;
    for_each_line(script, [&](const std::string& line, bool line_end) {
        std::size_t copied = 0;
        scan_line(line, [&](std::size_t at, std::size_t length) {
            out += line.substr(copied, at - copied) + find(line.substr(at, length))->value;
            copied = at + length;
        });
        out += line.substr(copied);
        if (line_end) out += '\n';
    });
    return out;
}

} // namespace sqlmod
