// transfer_session.h --- the transfer window's work: the source's plot list, the chosen
// destination with its backup, the key check of each plot with its wait for "go on",
// and the transfer of the plots the user confirmed.
#pragma once

#include "app/dialogs.h"
#include "db/connection.h"
#include "transfer/destination.h"
#include "transfer/key_check.h"
#include "transfer/plot_transfer.h"

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

namespace transfer {

class TransferSession {
public:
    // `source` is the shared connection of the experiment database, used while open.
    TransferSession(std::optional<db::Connection>& source, app::Dialogs& dialogs);

    // One line per plot of the source: " FL_ID: location-site description".
    std::vector<std::string> plot_lines();
    // The plot key of a line of the plot list (the text before the first ":").
    static std::int64_t plot_key(const std::string& line);

    // Opens the destination and backs it up. Throws (and keeps the previous destination)
    // when it is the source or cannot be opened.
    void select_destination(const std::filesystem::path& file);
    bool connected() const { return destination_.has_value(); }
    // Closes the destination (the window closes); the next copy chooses one again.
    void close_destination() { destination_.reset(); }
    db::Connection& destination() { return destination_->connection; }
    const std::filesystem::path& backup() const { return destination_->backup; }

    // "copy": with the key check, the check of the first plot is shown and the session
    // waits for go_on(); without it the plots are moved at once.
    void copy(const std::vector<std::int64_t>& plots, bool wait_on_key_check);
    // Waiting for "go on": the user reads the lists and may move missing rows.
    bool waiting() const { return stage_ != Stage::idle; }
    // "go on": from the amendments to the crops of the plot; after the crops the user is
    // asked whether to move the plot, then the next plot is checked, and after the last
    // one the plots confirmed are moved.
    void go_on();
    // A double click on a line of the message list: a missing key of the list shown is
    // offered for moving; true when the row was moved.
    bool activate_line(std::size_t row);
    // The window closes during the wait: the check ends and nothing is moved.
    void stop();

    const std::vector<std::string>& messages() const { return messages_; }
    // The result of the last transfer.
    const std::optional<TransferReport>& report() const { return report_; }

private:
    enum class Stage { idle, amendments, crops };
    void show_stage();
    void finish();
    KeyCheck check(std::int64_t plot);
    std::int64_t current() const { return pending_[next_]; }

    std::optional<db::Connection>& source_;
    app::Dialogs& dialogs_;
    std::optional<Destination> destination_;
    Stage stage_ = Stage::idle;
    std::vector<std::int64_t> pending_, confirmed_;
    std::size_t next_ = 0;
    std::vector<KeyItem> shown_items_;
    std::size_t missing_from_ = 0; // first row of the missing keys in the message list
    std::vector<std::string> messages_;
    std::optional<TransferReport> report_;
};

} // namespace transfer
