// workbench_texts.h --- the workbench's confirmations and captions (ui_texts 14 to 30) and
// the caption of the deletion dialog, in English or German.
#pragma once

#include <string>

namespace workbench {

// Entry 14 to 30 of the text table in the language ("D" German, anything else English).
// Entries 24 and 25 end in runs of blanks. Throws std::out_of_range for other entries.
const std::string& ui_text(int entry, const std::string& language);

// Caption of the deletion dialog: "ATTENTION !", in German "ACHTUNG !".
std::string confirm_caption(const std::string& language);

} // namespace workbench
