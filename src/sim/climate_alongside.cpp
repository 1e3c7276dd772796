// climate_alongside.cpp --- the time frame, the soil properties and the yearly climate and
// BAT built on a second connection while the input quantities and organic inputs are prepared.
#include "sim/climate_alongside.h"

#include "sim/climate_preparation.h"
#include "sim/climate_scratch.h"
#include "sim/final_stage.h"
#include "sim/held_output.h"

#include <atomic>
#include <exception>
#include <functional>
#include <latch>
#include <malloc.h>
#include <optional>
#include <sqlite3.h>
#include <thread>

namespace sim {
namespace {

// Runs a function when it goes out of scope.
class ScopeExit {
public:
    explicit ScopeExit(std::function<void()> f) : f_(std::move(f)) {}
    ~ScopeExit() { f_(); }
    ScopeExit(const ScopeExit&) = delete;
    ScopeExit& operator=(const ScopeExit&) = delete;

private:
    std::function<void()> f_;
};

// The preparation of a run with the time frame, the soil properties and the yearly climate
// built alongside the input quantities and the organic inputs. Each step's message lines,
// message boxes and failure reach the run in the place the step has in the sequence: input
// quantities, time frame, organic inputs, soil properties, climate. When a step fails
// alongside, it and the steps after it run again here, where they fail as in the sequence
// (or go on, when only the scratch file failed them), on the steps before it made again.
class Alongside {
public:
    Alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes,
              ClimateDataIndexes indexes)
        : ctx_(ctx), steps_(steps), nodes_(nodes),
          indexes_(indexes), aside_steps_{steps.time_frame, steps.soil_properties,
                                          [this](RunContext& aside) {
                                              yearly_climate_and_bat(aside, nodes_, indexes_);
                                          }} {}

    void run() {
        std::optional<ClimateScratch> scratch;
        open_scratch(scratch);
        if (!scratch) {
            run_step(steps_.input_quantities, ctx_);
            return here_from(time_frame);
        }
        bool copied = false;
        with_organic_inputs(*scratch, [&] {
            if (first_failure() != none) return;
            for (int i = soil; i < none; ++i) held_[i].output.pass_on(ctx_);
            scratch->copy_into(ctx_.conn);
            copied = true;
            initial_carbon_estimate_if_missing(ctx_);
        });
        close_scratch(scratch);
        if (copied) {
            ctx_.sim.run_preview = preview_;
            return;
        }
        const int failed = first_failure();
        if (failed == time_frame) return here_from(time_frame);
        for (int i = soil; i < failed; ++i) held_[i].output.pass_on(ctx_);
        for (int i = time_frame; i < failed; ++i) {
            HeldStep again; // its messages were heard already
            run_held(again, ctx_.sim, ctx_.conn, ctx_.state, aside_steps_[i]);
            if (again.failure) std::rethrow_exception(again.failure);
        }
        here_from(failed);
    }

private:
    enum { time_frame, soil, climate, none };

    int first_failure() const {
        for (int i = time_frame; i < none; ++i)
            if (held_[i].failure) return i;
        return none;
    }

    // The steps from `first` on, here; the organic inputs after the time frame.
    void here_from(int first) {
        if (first <= time_frame) run_step(steps_.time_frame, ctx_);
        if (first <= time_frame) run_step(steps_.organic_inputs, ctx_);
        if (first <= soil) run_step(steps_.soil_properties, ctx_);
        climate_bat(ctx_, nodes_, indexes_);
    }

    // The memory the work alongside took goes back to the system: freed in another
    // thread, it would otherwise stay with the program through the final stage.
    static void close_scratch(std::optional<ClimateScratch>& scratch) {
        scratch.reset();
        malloc_trim(0);
    }

    void open_scratch(std::optional<ClimateScratch>& scratch) {
        try {
            scratch.emplace(ctx_.conn);
        } catch (const std::exception&) {
            // No scratch file (a folder without room or write permission): the sequence.
        }
    }

    // The steps aside run one after the other on the scratch file, up to the first that
    // fails, while the input quantities and, once the time frame is there, the organic
    // inputs are prepared here. Once both sides are done, and the time frame did not fail,
    // `then` runs here. Returns when it has, and the work alongside has ended.
    void with_organic_inputs(ClimateScratch& scratch, const std::function<void()>& then) {
        std::latch time_frame_done(1), input_quantities_done(1), steps_done(1);
        bool input_quantities_failed = false;
        std::atomic<bool> given_up{false}, previewing{false};
        const Simulator aside_sim = ctx_.sim;
        const std::jthread alongside([&] {
            for (int i = time_frame; i < none; ++i) {
                run_held(held_[i], aside_sim, scratch.connection(), ctx_.state, aside_steps_[i]);
                if (i == time_frame) time_frame_done.count_down();
                if (held_[i].failure) break;
            }
            steps_done.count_down();
            if (first_failure() != none) return;
            // What the final stage asks first, once the input quantities are there, until the
            // built tables are in the run's database: the final stage waits for nothing.
            input_quantities_done.wait();
            if (input_quantities_failed) return;
            previewing = true;
            if (given_up) return;
            try {
                preview_ = preview_tsm_run(scratch.connection());
            } catch (const std::exception&) {
                // The final stage asks itself.
            }
        });
        // However this side ends, a look ahead still at work alongside is given up.
        const ScopeExit give_up_preview([&] {
            given_up = true;
            if (previewing) sqlite3_interrupt(scratch.connection().handle());
        });
        try {
            run_step(steps_.input_quantities, ctx_);
        } catch (...) {
            input_quantities_failed = true;
            input_quantities_done.count_down();
            throw;
        }
        input_quantities_done.count_down();
        time_frame_done.wait();
        if (held_[time_frame].failure) return;
        held_[time_frame].output.pass_on(ctx_);
        run_step(steps_.organic_inputs, ctx_);
        steps_done.wait();
        then();
    }

    RunContext& ctx_;
    const RunSteps& steps_;
    const WmzTable& nodes_;
    const ClimateDataIndexes indexes_;
    const RunStep aside_steps_[none];
    HeldStep held_[none];
    std::optional<Simulator::RunPreview> preview_;
};

// Whether the run's database keeps a write-ahead journal. Without one, reading it alongside
// would hold up each commit of the run's own connection, and a long read could make a
// write of the run fail as locked.
bool write_ahead_journal(db::Connection& conn) {
    db::Statement journal = conn.prepare_native("PRAGMA main.journal_mode");
    return journal.step() && journal.column(0).as_text() == "wal";
}

} // namespace

bool prepare_climate_alongside(RunContext& ctx, const RunSteps& steps, const WmzTable& nodes) {
    if (!ctx.sim.recalc_bat || !steps.input_quantities || !steps.time_frame ||
        !steps.organic_inputs || !steps.soil_properties || open_file(ctx.conn).empty() ||
        !write_ahead_journal(ctx.conn))
        return false;
    // The weather is read alongside, where its indexes cannot be made: they are made first.
    ClimateDataIndexes indexes{false, 0};
    try {
        indexes.created_before = index_climate_data(ctx.conn);
    } catch (const std::exception&) {
        return false; // the sequence fails where it makes them
    }
    Alongside(ctx, steps, nodes, indexes).run();
    ctx.observer.process_events();
    return true;
}

} // namespace sim
