// script_history.h --- the SQL module's history of the last ten scripts.
#pragma once

#include <string>
#include <vector>

namespace sqlmod {

// Ten slots numbered 1 to 10, each a copy of a script; mem_id is the slot shown (0
// before the first script was kept). The history lives as long as the module's window.
class ScriptHistory {
public:
    static constexpr int slot_count = 10;

    // Keeps a script as the newest: in the next free slot, or, when all ten are used, in
    // slot 10 after the oldest is dropped and the others moved down. Shows that slot.
    void store(const std::string& script);

    // The arrows: the previous slot (not below 1) or the next one (not above 10). The
    // editor's text is kept first as the newest script unless it is empty or the shown
    // slot's script. Return the script of the slot now shown ("" for an unused slot).
    std::string up(const std::string& editor);
    std::string down(const std::string& editor);

    int mem_id() const { return mem_id_; }
    int used() const { return static_cast<int>(scripts_.size()); }
    // The script of a slot (1 to 10); "" for an unused one.
    std::string script(int slot) const;

private:
    void keep_unsaved(const std::string& editor);

    std::vector<std::string> scripts_; // slot 1 first
    int mem_id_ = 0;
};

} // namespace sqlmod
