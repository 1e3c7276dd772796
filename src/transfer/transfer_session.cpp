#include "transfer/transfer_session.h"

#include "transfer/attached_source.h"
#include "transfer/transfer_tables.h"

#include <stdexcept>

namespace transfer {

namespace {

db::Connection& open(std::optional<db::Connection>& c) {
    if (!c) throw std::runtime_error("No experiment database is open.");
    return *c;
}

} // namespace

TransferSession::TransferSession(std::optional<db::Connection>& source, app::Dialogs& dialogs)
    : source_(source), dialogs_(dialogs) {}

std::vector<std::string> TransferSession::plot_lines() {
    db::Dataset d = open(source_).open("select fl_id,location, site_description from "
                                       "field_description order by location, site_description");
    std::vector<std::string> lines;
    for (d.first(); !d.eof(); d.next())
        lines.push_back(" " + d.field(0).as_text() + ": " + d.field(1).as_text() + "-" +
                        d.field(2).as_text());
    return lines;
}

std::int64_t TransferSession::plot_key(const std::string& line) {
    return db::Value(line.substr(0, line.find(':'))).as_int();
}

void TransferSession::select_destination(const std::filesystem::path& file) {
    Destination chosen = open_destination(open(source_).path(), file);
    destination_.reset(); // the previous destination is closed before the new one is used
    destination_.emplace(std::move(chosen));
}

KeyCheck TransferSession::check(std::int64_t plot) {
    AttachedSource attached(destination(), open(source_).path());
    return check_key_items(destination(), plot);
}

void TransferSession::copy(const std::vector<std::int64_t>& plots, bool wait_on_key_check) {
    if (waiting()) return; // one copy at a time
    if (!connected()) throw std::runtime_error("Select the destination database first.");
    messages_.clear();
    report_.reset();
    pending_ = plots;
    confirmed_.clear();
    next_ = 0;
    if (!wait_on_key_check || plots.empty()) {
        confirmed_ = plots;
        finish();
        return;
    }
    messages_.push_back(" the key tables for crops and organic amendments will be checked!!!");
    stage_ = Stage::amendments;
    show_stage();
}

void TransferSession::show_stage() {
    const KeyCheck c = check(current());
    const bool amendments = stage_ == Stage::amendments;
    shown_items_ = amendments ? c.amendments : c.crops;
    if (messages_.empty() || messages_.front().rfind(" the key tables", 0) != 0)
        messages_.clear();
    else
        messages_.resize(1);
    messages_.push_back("FL_ID " + std::to_string(current()) + ":");
    const auto lines = amendments
                           ? key_check_lines(shown_items_, amendments_found, amendments_missing)
                           : key_check_lines(shown_items_, crops_found, crops_missing);
    for (const std::string& l : lines) {
        if (l == (amendments ? amendments_missing : crops_missing))
            missing_from_ = messages_.size() + 1;
        messages_.push_back(l);
    }
}

void TransferSession::go_on() {
    if (stage_ == Stage::amendments) {
        stage_ = Stage::crops;
        show_stage();
        return;
    }
    if (stage_ != Stage::crops) return;
    if (dialogs_.ask_yes_no("after checking key items", "continue with datatransfer ?"))
        confirmed_.push_back(current());
    if (++next_ < pending_.size()) {
        stage_ = Stage::amendments;
        show_stage();
        return;
    }
    stage_ = Stage::idle;
    finish();
}

bool TransferSession::activate_line(std::size_t row) {
    if (!waiting() || row < missing_from_ || row >= messages_.size()) return false;
    const std::int64_t key = db::Value(messages_[row]).as_int();
    if (!dialogs_.ask_yes_no("Missing Record in Destination", "Move this Parameter-Record ?"))
        return false;
    int moved = 0;
    {
        AttachedSource attached(destination(), open(source_).path());
        db::Transaction t(destination());
        moved = copy_parameter_row(destination(),
                                   stage_ == Stage::amendments ? amendment_table : crop_table, key);
        t.commit();
    }
    show_stage(); // a moved key now appears among the found ones
    return moved > 0;
}

void TransferSession::stop() {
    stage_ = Stage::idle;
    pending_.clear();
    confirmed_.clear();
}

// Moves the confirmed plots; a plot whose FL_ID is another plot in the destination is
// moved under a new FL_ID only when the user agrees.
void TransferSession::finish() {
    stage_ = Stage::idle;
    TransferOptions options;
    options.renumber_plot = [&](std::int64_t fl_id, std::int64_t new_id) {
        return dialogs_.ask_yes_no(
            "FL_ID exists in destination",
            "FL_ID " + std::to_string(fl_id) +
                " is another plot in the destination database. Move this plot as FL_ID " +
                std::to_string(new_id) + " ? (No leaves it out)");
    };
    messages_.clear();
    report_ = transfer_plots(destination(), open(source_).path(), confirmed_, options);
    for (const PlotOutcome& p : report_->plots) messages_.push_back(outcome_line(p));
    for (const std::string& note : report_->notes) messages_.push_back("note: " + note);
    if (report_->plots.empty()) messages_.push_back("no plot moved");
}

} // namespace transfer
