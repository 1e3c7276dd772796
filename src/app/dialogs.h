// dialogs.h --- message boxes, questions and file choices, as the caller's seam.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace app {

// The windows show real boxes; the console prints the text and takes a documented
// answer; tests script the answers and record what was asked.
class Dialogs {
public:
    virtual ~Dialogs() = default;
    virtual void show_message(const std::string& title, const std::string& text) = 0;
    // A failure or a warning: shown as a message with the error icon where there are
    // icons (the default shows it as a plain message).
    virtual void show_error(const std::string& title, const std::string& text) {
        show_message(title, text);
    }
    // Yes/No question; anything but Yes counts as No.
    virtual bool ask_yes_no(const std::string& title, const std::string& text) = 0;
    // A file to open; nothing when cancelled. filter as "name|*.ext;*.ext2|name2|*.x".
    virtual std::optional<std::string> choose_file(const std::string& title,
                                                   const std::string& filter) = 0;
    // A file to write (a new name or one to replace); nothing when cancelled. Filter as
    // for choose_file. Every implementation offers it: without it every export button
    // would silently do nothing.
    virtual std::optional<std::string> choose_save_file(const std::string& title,
                                                        const std::string& filter) = 0;
    // The connection-string editor: the edited string, or nothing when unchanged.
    virtual std::optional<std::string> edit_connection_string(const std::string& current) = 0;
};

} // namespace app
