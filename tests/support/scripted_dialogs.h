// scripted_dialogs.h --- Dialogs for tests: scripted answers, a record of what was shown.
#pragma once

#include "app/dialogs.h"

#include <deque>
#include <string>
#include <vector>

namespace test {

class ScriptedDialogs : public app::Dialogs {
public:
    // Everything shown or asked, as "title: text", in order; the errors also on their own.
    std::vector<std::string> shown;
    std::vector<std::string> errors;
    // Answers taken in order; when they run out: No, cancel, unchanged.
    std::deque<bool> yes_no;
    std::deque<std::optional<std::string>> files;
    std::deque<std::optional<std::string>> save_files;
    std::deque<std::optional<std::string>> connection_strings;

    void show_message(const std::string& title, const std::string& text) override {
        shown.push_back(title + ": " + text);
    }
    void show_error(const std::string& title, const std::string& text) override {
        shown.push_back(title + ": " + text);
        errors.push_back(title + ": " + text);
    }
    bool ask_yes_no(const std::string& title, const std::string& text) override {
        shown.push_back(title + ": " + text);
        return take(yes_no, false);
    }
    std::optional<std::string> choose_file(const std::string& title, const std::string&) override {
        shown.push_back("file: " + title);
        return take(files, std::optional<std::string>());
    }
    std::optional<std::string> choose_save_file(const std::string& title,
                                                const std::string&) override {
        shown.push_back("save file: " + title);
        return take(save_files, std::optional<std::string>());
    }
    std::optional<std::string> edit_connection_string(const std::string& current) override {
        shown.push_back("connection editor: " + current);
        return take(connection_strings, std::optional<std::string>());
    }

private:
    template <class T> static T take(std::deque<T>& q, T fallback) {
        if (q.empty()) return fallback;
        T v = q.front();
        q.pop_front();
        return v;
    }
};

} // namespace test
