// drag_copy.h --- copying the management or the measurements of one plot onto another by
// dragging the active plot onto a plot node. The copies are appended: the target keeps
// its own records.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

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

// The report after the copy: its caption and the count of copied records.
std::string copy_report_caption(CopyKind kind, const std::string& language);
std::string copy_report(int copied, const std::string& language);

// The statement copying the records of plot `from` to plot `to`.
std::string copy_statement(CopyKind kind, std::int64_t from, std::int64_t to);

// Copies the records; returns how many were copied.
int copy_plot_data(db::Connection& conn, CopyKind kind, std::int64_t from, std::int64_t to);

} // namespace workbench
