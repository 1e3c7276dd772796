// entry_command.h --- the console program's data entry (tsm-batch event, tsm-batch
// measurement): one management event or measurement written as the workbench's forms write
// it, with the same checks.
#pragma once

#include <iosfwd>
#include <string>
#include <vector>

namespace app {

inline constexpr const char* event_usage =
    "event DATABASE FL_ID DATE ACTION ITEM_IX AMOUNT [--share PERCENT]";
inline constexpr const char* measurement_usage =
    "measurement DATABASE FL_ID DATE PROPERTY VALUE [--variance V] [--initial]";

// Runs "event ..." or "measurement ..." and prints the key of the new row. Dates are
// "15.04.2021" or "2021-04-15". Throws std::invalid_argument with the usage line for wrong
// arguments, workbench::EntryRefused naming the field for refused values.
int run_entry_command(const std::vector<std::string>& args, std::ostream& out);

} // namespace app
