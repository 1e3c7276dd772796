// console_dialogs.h --- message boxes and questions of the console program.
#pragma once

#include "app/dialogs.h"

#include <iosfwd>

namespace app {

// Prints every message and question to the given stream. Questions are answered No,
// file choices and the connection-string editor are cancelled: an unattended run never
// waits for an answer and never changes what it was not told to change.
class ConsoleDialogs : public Dialogs {
public:
    explicit ConsoleDialogs(std::ostream& out) : out_(out) {}
    void show_message(const std::string& title, const std::string& text) override;
    bool ask_yes_no(const std::string& title, const std::string& text) override;
    std::optional<std::string> choose_file(const std::string& title,
                                           const std::string& filter) override;
    std::optional<std::string> choose_save_file(const std::string& title,
                                                const std::string& filter) override;
    std::optional<std::string> edit_connection_string(const std::string& current) override;

private:
    std::ostream& out_;
};

} // namespace app
