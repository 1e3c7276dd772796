#include "sim/plot_simulation.h"

#include "db/text.h"
#include "model/pedotransfer.h"
#include "sim/final_stage.h"
#include "sim/plot_workers.h"

#include <chrono>
#include <cmath>
#include <deque>

namespace sim {
namespace {

double round4(double v) {
    return std::round(v * 1e4) / 1e4;
}

db::Value number_or_null(double v, bool computed) {
    return computed ? db::Value(v) : db::Value();
}

double number_at(const db::Statement& s, int index, double if_missing) {
    return index < 0 ? if_missing : s.column_number(index, if_missing);
}

} // namespace

PlotSimulation::PlotSimulation(RunContext& ctx, std::string method, bool write_zbv, double f_bat,
                               std::set<int> grid, int total, int threads)
    : ctx_(ctx), method_(std::move(method)), balance_(balance_method(method_)),
      write_zbv_(write_zbv), f_bat_(f_bat), grid_(std::move(grid)), total_(total),
      threads_(std::max(threads, 1)), nresult_(ctx.conn, nresult_layout()),
      sim_result_(ctx.conn, sim_result_layout()), driver_(ctx.conn, driver_layout()),
      balance_nresult_(ctx.conn, nresult_layout(), 12) {
    const std::string mode = ctx.state.modus == "ORV" ? "*" : ctx.sim.icon_mode;
    ModelOptions& o = settings_.options;
    o.parms = ctx.sim.parms;
    o.dyn_bd = ctx.sim.dyn_bd;
    o.dyn_lts = ctx.sim.dyn_lts;
    o.hassink = ctx.sim.hassink;
    o.pools_turn_over = mode != "null";
    settings_.z_cnt = ctx.sim.z_cnt;
    settings_.z_anf = ctx.sim.z_anf;
    if (write_zbv_) {
        zbv_.emplace(ctx.conn, zbv_layout());
        balance_zbv_.emplace(ctx.conn, zbv_layout(), 12);
    }
    if (!balance_) {
        db::Connection& c = ctx.conn;
        // A plot's inputs in the order a lookup by plot and year returns them.
        turnover_.emplace(TurnoverStatements{
            c.prepare("select meas_value from measurements where m_ix=-1 and fl_id=?"),
            c.prepare("select * from opstab where fl_id=? order by year_, rowid"),
            c.prepare(c.has_column("tmp_bat", "t_level")
                          ? "select year_0, BAT, BATnotill, t_level from tmp_bat "
                            "where FL_ID=? order by year_0"
                          : "select year_0, BAT from tmp_bat where FL_ID=? order by year_0"),
            c.prepare("select * from som_state where yr=? and fl_id=?"),
            {}});
        for (const char* col :
             {"cops", "part", "cnr_alt", "pop", "cnr", "k", "eta", "mkd", "item_ix", "year_"})
            turnover_->input_columns.push_back(turnover_->inputs.column_index(col));
    }
}

// The reading thread keeps a few plots per worker ahead of the writing, so that the
// workers do not wait for it, while memory stays bounded by those plots.
StageEnd PlotSimulation::run(RunRows& rows) {
    db::Transaction tx(ctx_.conn, true);
    StageEnd end = StageEnd::completed;
    try {
        const bool side_by_side = !balance_ && threads_ > 1;
        std::deque<std::shared_ptr<PlotJob>> pending;
        std::optional<PlotWorkers> workers; // stopped before `pending` goes
        if (side_by_side) workers.emplace(threads_);
        const std::size_t ahead = side_by_side ? 4 * static_cast<std::size_t>(threads_) : 1;
        std::optional<std::vector<RunRow>> next;
        try {
            next = rows.next_plot();
        } catch (...) {
            pending.push_back(std::make_shared<PlotJob>());
            pending.back()->next_error = std::current_exception();
        }
        while (end == StageEnd::completed) {
            while (next && pending.size() < ahead) {
                std::shared_ptr<PlotJob> job = read_plot(rows, next);
                if (workers && job->has_rows && !job->read_error && !job->next_error) {
                    // The task holds the plot only while it runs: the plot holds the task's
                    // future, and a plot left unwritten by an early end must not keep itself.
                    std::weak_ptr<PlotJob> plot = job;
                    job->simulated = workers->submit([plot, this] {
                        if (const std::shared_ptr<PlotJob> j = plot.lock())
                            j->outcome = simulate_turnover_plot(j->inputs, settings_);
                    });
                }
                pending.push_back(std::move(job));
            }
            if (pending.empty()) break;
            const std::shared_ptr<PlotJob> job = std::move(pending.front());
            pending.pop_front();
            end = write_plot(*job);
        }
    } catch (...) {
        tx.commit(); // the rows written so far stay, as after an early end
        throw;
    }
    tx.commit();
    return end;
}

// Takes the plot of `next` and reads the plot after it into `next`. A failing read is kept
// in the plot and raised where it failed before the plots were read ahead: reading the next
// plot before the plot is written, reading its inputs after its first message.
std::shared_ptr<PlotSimulation::PlotJob>
PlotSimulation::read_plot(RunRows& rows, std::optional<std::vector<RunRow>>& next) {
    auto job = std::make_shared<PlotJob>();
    std::vector<RunRow> plot_rows = std::move(*next);
    try {
        next = rows.next_plot();
    } catch (...) {
        next.reset();
        job->next_error = std::current_exception();
        return job;
    }
    job->plot = plot_rows.front().fl_id;
    job->all_rows = plot_rows.size();
    job->last = !next;
    job->has_rows = skip_leading_rows(plot_rows);
    if (!job->has_rows) return job;
    if (balance_) {
        job->rows = std::move(plot_rows);
        return job;
    }
    job->inputs.rows = std::move(plot_rows);
    try {
        read_turnover_inputs(job->inputs);
    } catch (...) {
        job->read_error = std::current_exception();
    }
    return job;
}

// What the database holds for a plot of the turnover model.
void PlotSimulation::read_turnover_inputs(TurnoverInputs& in) {
    TurnoverStatements& st = *turnover_;
    const RunRow& first = in.rows.front();
    const int plot = first.fl_id;

    st.non_bal.bind(1, plot);
    in.non_bal = st.non_bal.step() ? st.non_bal.column(0).as_double() : 0.0;
    st.non_bal.reset();

    const std::string& i_con = first.i_con;
    if (!(db::iequals(i_con, "obsval") || db::iequals(i_con, "null") || i_con.empty())) {
        st.saved_state.bind(1, first.year_0 - 1);
        st.saved_state.bind(2, db::Value(i_con));
        while (st.saved_state.step()) {
            OmState s;
            const auto at = [&](const char* c) {
                return number_at(st.saved_state, st.saved_state.column_index(c), 0);
            };
            s.c_am = at("c_am");
            s.c_sm = at("c_sm");
            s.c_lts = at("c_lts");
            s.cnr_am = at("cnr_am");
            s.cnr_sm = at("cnr_sm");
            s.cnr_lts = at("cnr_lts");
            in.saved_states.push_back(s);
        }
        st.saved_state.reset();
    }

    st.bats.bind(1, plot);
    const bool mixed = st.bats.column_count() > 2;
    while (st.bats.step()) {
        double bat = number_at(st.bats, 1, 0);
        if (mixed) {
            const double t_level = number_at(st.bats, 3, 0);
            bat = (bat * (100 - t_level) + number_at(st.bats, 2, 0) * t_level) / 100;
        }
        in.bats.push_back({static_cast<int>(number_at(st.bats, 0, 0)), bat * f_bat_});
    }
    st.bats.reset();

    st.inputs.bind(1, plot);
    const auto at = [&](std::size_t c, double if_missing) {
        return number_at(st.inputs, st.input_columns[c], if_missing);
    };
    const int year_column = st.input_columns[9];
    while (st.inputs.step()) {
        if (year_column < 0 || !st.inputs.column(year_column).is_number()) continue;
        FomInput f;
        f.cops = at(0, 0);
        f.part = at(1, 0);
        f.cnr_alt = at(2, 0);
        f.pop = at(3, 1);
        f.cnr = at(4, 0);
        f.k = at(5, 0);
        f.eta = at(6, 0);
        f.mkd = static_cast<int>(at(7, 0));
        f.item_ix = static_cast<int>(at(8, 0));
        in.fom[st.inputs.column(year_column).as_double()].push_back(f);
    }
    st.inputs.reset();
}

// Rows before the initial measurement (negative Corg) are passed over in the mode "TSM",
// and in the mode "ORV" unless the workbench item starts from "null". False when no row
// of the plot is left.
bool PlotSimulation::skip_leading_rows(std::vector<RunRow>& rows) const {
    const std::string& modus = ctx_.state.modus;
    if (!(modus == "TSM" || (modus == "ORV" && ctx_.sim.icon_mode != "null"))) return true;
    auto first = rows.begin();
    while (first != rows.end() && first->corg < 0) ++first;
    rows.erase(rows.begin(), first);
    return !rows.empty();
}

StageEnd PlotSimulation::write_plot(PlotJob& job) {
    if (job.next_error) std::rethrow_exception(job.next_error);
    if (!job.has_rows) {
        done_ += static_cast<int>(job.all_rows);
        if (job.last && ctx_.state.modus == "ORV") {
            ctx_.dialogs.show_message(init_check_caption, orv_init_text);
            return StageEnd::ended;
        }
        return StageEnd::completed; // the plot has no year with a measurement to start from
    }
    const std::size_t rows = balance_ ? job.rows.size() : job.inputs.rows.size();
    done_ += static_cast<int>(job.all_rows - rows);
    last_plot_ = job.plot;
    ctx_.observer.process_events();
    if (!grid_.count(job.plot)) ctx_.message(not_in_grid_text + std::to_string(job.plot));
    if (job.read_error) std::rethrow_exception(job.read_error);
    return balance_ ? balance_plot(job.rows) : write_turnover_plot(job);
}

// A plot of a humus balance method: the yearly balances come with the rows. A plot without
// an initial C stock to start from is left out with a message naming it, as the turnover
// model leaves out a plot without usable site data.
StageEnd PlotSimulation::balance_plot(const std::vector<RunRow>& rows) {
    const int plot = rows.front().fl_id;
    if (!has_initial_stock(rows.front())) {
        const std::string text = missing_data_text + std::to_string(plot);
        ctx_.message(text + ": no initial Corg above 0; the plot is left out");
        ctx_.dialogs.show_message("ERROR", text);
        done_ += static_cast<int>(rows.size());
        return StageEnd::completed;
    }
    BalanceAccount account(*balance_, rows.front());
    int n_years = 0;
    const StageEnd end = repetitions(rows, [&](const RunRow& data, int k, int z_jahr) {
        write_balance_year(plot, z_jahr, k, account.year(data), account.c_lts(), ++n_years);
    });
    if (end != StageEnd::ended) write_driver_row(plot, account.summary());
    return end;
}

// A plot of the turnover model: its events in order, then its end. Stopped after a year,
// the plot's state is that of the year: it is simulated again up to there.
StageEnd PlotSimulation::write_turnover_plot(PlotJob& job) {
    if (job.simulated.valid()) {
        using namespace std::chrono_literals;
        while (job.simulated.wait_for(20ms) != std::future_status::ready)
            ctx_.observer.process_events();
        job.simulated.get();
    } else {
        job.outcome = simulate_turnover_plot(job.inputs, settings_);
    }
    const PlotOutcome& o = job.outcome;
    int years = 0;
    for (const PlotEvent& e : o.events) {
        switch (e.kind) {
        case PlotEvent::Kind::line:
            ctx_.message(e.text);
            break;
        case PlotEvent::Kind::dialog:
            ctx_.dialogs.show_message(e.caption, e.text);
            break;
        case PlotEvent::Kind::year:
            write_year(job.plot, e.z_jahr, e.result, e.n_years);
            ++years;
            if (e.new_row) advance_progress();
            ctx_.observer.process_events();
            if (stop_requested()) {
                const PlotOutcome at_stop = simulate_turnover_plot(job.inputs, settings_, years);
                ctx_.sim.om_state = at_stop.om_state;
                write_driver_row(job.plot, at_stop.summary);
                return StageEnd::stopped;
            }
            break;
        }
    }
    if (o.error) std::rethrow_exception(o.error);
    done_ += o.left_out_rows;
    if (!o.simulated) return StageEnd::completed;
    ctx_.sim.om_state = o.om_state;
    if (o.completed && job.last && ctx_.sim.scenario)
        for (const std::string& failure :
             save_om_state(ctx_.conn, job.plot, o.last_z_jahr, o.om_state))
            ctx_.message(failure);
    if (!o.completed) return StageEnd::ended;
    write_driver_row(job.plot, o.summary);
    return StageEnd::completed;
}

bool PlotSimulation::stop_requested() {
    return ctx_.observer.stop_requested() || ctx_.sim.stop_run;
}

// The repetitions of a humus balance plot: the years of its rows, gaps filled with the
// preceding row's year, then z_cnt more times from the year z_anf on.
StageEnd PlotSimulation::repetitions(const std::vector<RunRow>& rows, const YearStep& year) {
    const int plot = rows.front().fl_id;
    const Simulator& sim = ctx_.sim;
    int z_jahr = 0;
    for (int rep = 0; rep <= sim.z_cnt; ++rep) {
        std::size_t i = 0;
        int prev = rows.front().year_0 - 1;
        if (rep > 0) {
            while (i < rows.size() && rows[i].year_0 != sim.z_anf) ++i;
            if (i == rows.size()) {
                ctx_.dialogs.show_message(loopback_caption, loopback_text);
                return StageEnd::ended;
            }
            prev = sim.z_anf - 1;
        }
        while (i < rows.size()) {
            int k = rows[i].year_0;
            const bool gap = k > prev + 1 && i > 0;
            if (gap) k = prev + 1; // the missing year, with the data of the row before
            if (k != prev + 1) {
                ctx_.message("fl_id" + std::to_string(plot) + ": " + std::to_string(prev + 1) +
                             ":missed harvest");
                return StageEnd::completed;
            }
            z_jahr = rep == 0 ? k : z_jahr + 1;
            year(gap ? rows[i - 1] : rows[i], k, z_jahr);
            prev = k;
            if (!gap) {
                ++i;
                advance_progress();
            }
            ctx_.observer.process_events();
            if (stop_requested()) return StageEnd::stopped;
        }
    }
    return StageEnd::completed;
}

void PlotSimulation::write_year(int plot, int z_jahr, const YearResult& y, int n_years) {
    nresult_.append({plot, z_jahr, y.n_m_om, y.n_ops, y.c_ops, y.c_som, y.c_lts, y.n_org, y.n_som,
                     y.c_mic, y.c_rep, y.bat, y.n_flush, y.n_m_fom, y.bd, y.pwp, y.a_age, y.s_age,
                     y.l_age});
    if (zbv_)
        zbv_->append({plot, z_jahr, y.c_min_total, y.c_min_fom, y.c_rep, y.c_ops, y.c_fom_in,
                      y.c_som, y.c_lts, y.c_hws, y.mkd_a, y.mkd_s, not_computed, not_computed,
                      not_computed});
    const bool simulated = method_ == "TSM" && settings_.options.pools_turn_over;
    sim_result_.append({plot, 7, z_jahr, n_years, number_or_null(round4(y.corg_sim), simulated)});
}

void PlotSimulation::write_driver_row(int plot, const PlotSummary& s) {
    driver_.append(
        {plot, s.mean_rep, s.init_value, s.corg_lts, s.mean_bat, 0.0, s.corg_end, s.n_years});
}

// A year of a balance method: tsm_nresult with the cumulated C and the year's balance,
// tsm_zbv for SALCA and HUMOD (under the data year), sim_result without a value.
void PlotSimulation::write_balance_year(int plot, int z_jahr, int k, const BalanceYear& y,
                                        double c_lts, int n_years) {
    const double x = not_computed;
    balance_nresult_.append({plot, z_jahr, y.n_m_om, x, x, y.c_som, x, x, x, x, y.balance, x});
    const bool with_zbv = *balance_ == BalanceMethod::salca || *balance_ == BalanceMethod::humod;
    if (balance_zbv_ && with_zbv)
        balance_zbv_->append({plot, k, 0.0, 0.0, 0.0, 0.0, 0.0, y.c_som, c_lts, 0.0, 0.0, 0.0});
    sim_result_.append({plot, 7, z_jahr, n_years, db::Value()});
}

void PlotSimulation::advance_progress() {
    ctx_.observer.progress(++done_, total_);
}

} // namespace sim
