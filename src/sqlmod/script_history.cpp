#include "sqlmod/script_history.h"

#include <algorithm>

namespace sqlmod {

void ScriptHistory::store(const std::string& script) {
    if (used() == slot_count) scripts_.erase(scripts_.begin());
    scripts_.push_back(script);
    mem_id_ = used();
}

std::string ScriptHistory::script(int slot) const {
    return slot >= 1 && slot <= used() ? scripts_[static_cast<std::size_t>(slot - 1)] : "";
}

void ScriptHistory::keep_unsaved(const std::string& editor) {
    if (!editor.empty() && editor != script(mem_id_)) store(editor);
}

std::string ScriptHistory::up(const std::string& editor) {
    keep_unsaved(editor);
    mem_id_ = std::max(1, mem_id_ - 1);
    return script(mem_id_);
}

std::string ScriptHistory::down(const std::string& editor) {
    keep_unsaved(editor);
    mem_id_ = std::min(slot_count, mem_id_ + 1);
    return script(mem_id_);
}

} // namespace sqlmod
