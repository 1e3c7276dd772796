#include "sqlmod/sql_session.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

namespace sqlmod {

db::ScriptResult SqlSession::execute(db::Connection& c, const std::string& script,
                                     const db::StatementScript::Progress& before_each) {
    if (const auto names = parameter_names(script); !names.empty()) {
        parameters.collect(script);
        throw MissingValue(names);
    }
    history.store(script);
    return db::StatementScript(c, before_each).run(script);
}

std::string SqlSession::apply_parameters(const std::string& script) {
    parameters.collect(script);
    std::string replaced = parameters.apply(script);
    history.store(script);
    return replaced;
}

std::string read_script(const std::filesystem::path& file) {
    std::ifstream in(file, std::ios::binary);
    if (!in) throw std::runtime_error("The script file '" + file.string() + "' cannot be read.");
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::filesystem::path write_script(std::filesystem::path file, const std::string& script) {
    if (!file.has_extension()) file += ".sql";
    std::ofstream out(file, std::ios::binary | std::ios::trunc);
    out << script;
    if (!script.empty() && script.back() != '\n') out << '\n';
    out.close();
    if (!out)
        throw std::runtime_error("The script file '" + file.string() + "' cannot be written.");
    return file;
}

} // namespace sqlmod
