// drag_copy.h --- copying the management or the measurements of one plot onto another by
// dragging the active plot onto a plot node. The copies are added to the target's own
// records, or replace them when the user chooses so.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace app {
class Dialogs;
}
namespace db {
class Connection;
}

namespace workbench {

enum class CopyKind { management, measurements };

// What a drop copies on the page in front: the management on page 1, the measurements
// on page 2, nothing on the others.
std::optional<CopyKind> copy_kind_of_page(int page_index);

// A drop is accepted on a plot node other than the dragged one, while one of the first
// three pages is in front.
bool drop_accepted(bool target_is_plot, std::int64_t source_fl_id, std::int64_t target_fl_id,
                   int page_index);

struct CopyQuestion {
    std::string caption, text;
};

// The Yes/No question before the copy into the target plot.
CopyQuestion copy_question(CopyKind kind, const std::string& target, const std::string& language);

// The copy question with what the copy does: `added` records join the `existing` ones of
// the target; when it has some, No leads to the question whether to replace them.
CopyQuestion copy_question(CopyKind kind, const std::string& target, int added, int existing,
                           const std::string& language);

// The question whether to delete the target's `existing` records and copy the source's
// `added` records in their place (asked with the deletion caption).
CopyQuestion replace_question(CopyKind kind, const std::string& target, const std::string& source,
                              int added, int existing, const std::string& language);

// The report after the copy: its caption and the count of copied records.
std::string copy_report_caption(CopyKind kind, const std::string& language);
std::string copy_report(int copied, const std::string& language);
// The report after a replacing copy: the records copied and the records deleted.
std::string replace_report(int copied, int deleted, const std::string& language);

// The statement copying the records of plot `from` to plot `to`.
std::string copy_statement(CopyKind kind, std::int64_t from, std::int64_t to);

// The number of records of the kind that a plot has.
int count_plot_data(db::Connection& conn, CopyKind kind, std::int64_t fl_id);

enum class CopyMode { add, replace };

// Asks how to copy `added` records onto a target with `existing` ones: the copy question
// (Yes: add them); when the target has records and the answer is No, the replace question
// (Yes: replace them). Nothing when the user declines both.
std::optional<CopyMode> ask_copy_mode(app::Dialogs& dialogs, CopyKind kind,
                                      const std::string& target, const std::string& source,
                                      int added, int existing, const std::string& language);

// Copies the records, after deleting the target's own ones when replacing, in one
// transaction; returns how many were copied.
int copy_plot_data(db::Connection& conn, CopyKind kind, std::int64_t from, std::int64_t to,
                   CopyMode mode = CopyMode::add);

} // namespace workbench
