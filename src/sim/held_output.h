// held_output.h --- a step of a run that runs aside: its message lines and message boxes held
// back, and passed on to the run later in their place.
#pragma once

#include "app/dialogs.h"
#include "sim/run_driver.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

namespace sim {

// What a step said while it ran aside: its message lines and message boxes in order, passed
// on to the run later as if the step had run then. A question cannot wait for its answer,
// so a step that asks one fails (std::logic_error).
class HeldOutput : public RunObserver, public app::Dialogs {
public:
    void message(const std::string& line) override;
    void progress(int, int) override {}
    void process_events() override {}
    bool stop_requested() override { return false; }

    void show_message(const std::string& title, const std::string& text) override;
    void show_error(const std::string& title, const std::string& text) override;
    bool ask_yes_no(const std::string& title, const std::string& text) override;
    std::optional<std::string> choose_file(const std::string& title,
                                           const std::string& filter) override;
    std::optional<std::string> choose_save_file(const std::string& title,
                                                const std::string& filter) override;
    std::optional<std::string> edit_connection_string(const std::string& current) override;

    // Passes everything on to the run, in the order it came.
    void pass_on(RunContext& ctx) const;

private:
    enum class Kind { line, message_box, error_box };
    struct Event {
        Kind kind;
        std::string title, text;
    };
    std::vector<Event> events_;
};

// A step run aside: what it said, and its failure if it failed.
struct HeldStep {
    HeldOutput output;
    std::exception_ptr failure;
};

// Runs a step on `conn` with its own copy of the simulator state, its output held back and
// its failure kept.
void run_held(HeldStep& held, Simulator sim, db::Connection& conn, const app::ProgramState& state,
              const RunStep& step);

} // namespace sim
