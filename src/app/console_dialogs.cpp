#include "app/console_dialogs.h"

#include <ostream>

namespace app {

void ConsoleDialogs::show_message(const std::string& title, const std::string& text) {
    out_ << "[" << title << "] " << text << '\n';
}

bool ConsoleDialogs::ask_yes_no(const std::string& title, const std::string& text) {
    out_ << "[" << title << "] " << text << " -> No\n";
    return false;
}

std::optional<std::string> ConsoleDialogs::choose_file(const std::string& title,
                                                       const std::string&) {
    out_ << "[" << title << "] no file chosen (console)\n";
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::choose_save_file(const std::string& title,
                                                            const std::string&) {
    out_ << "[" << title << "] no file chosen (console)\n";
    return std::nullopt;
}

std::optional<std::string> ConsoleDialogs::edit_connection_string(const std::string&) {
    out_ << "[connection] the connection string is not edited (console)\n";
    return std::nullopt;
}

} // namespace app
