// held_output.cpp --- a step of a run that runs aside, its output held back.
#include "sim/held_output.h"

#include <stdexcept>

namespace sim {
namespace {

[[noreturn]] void unanswerable(const std::string& title) {
    throw std::logic_error("the question \"" + title + "\" cannot be asked aside");
}

} // namespace

void HeldOutput::message(const std::string& line) {
    events_.push_back({Kind::line, "", line});
}

void HeldOutput::show_message(const std::string& title, const std::string& text) {
    events_.push_back({Kind::message_box, title, text});
}

void HeldOutput::show_error(const std::string& title, const std::string& text) {
    events_.push_back({Kind::error_box, title, text});
}

bool HeldOutput::ask_yes_no(const std::string& title, const std::string&) {
    unanswerable(title);
}

std::optional<std::string> HeldOutput::choose_file(const std::string& title, const std::string&) {
    unanswerable(title);
}

std::optional<std::string> HeldOutput::choose_save_file(const std::string& title,
                                                        const std::string&) {
    unanswerable(title);
}

std::optional<std::string> HeldOutput::edit_connection_string(const std::string&) {
    unanswerable("connection string");
}

void HeldOutput::pass_on(RunContext& ctx) const {
    for (const Event& e : events_) {
        if (e.kind == Kind::line) ctx.message(e.text);
        if (e.kind == Kind::message_box) ctx.dialogs.show_message(e.title, e.text);
        if (e.kind == Kind::error_box) ctx.dialogs.show_error(e.title, e.text);
    }
}

void run_held(HeldStep& held, Simulator sim, db::Connection& conn, const app::ProgramState& state,
              const RunStep& step) {
    RunContext aside{conn, sim, held.output, held.output, state};
    try {
        step(aside);
    } catch (...) {
        held.failure = std::current_exception();
    }
}

} // namespace sim
