#include "sim/plot_simulation.h"

#include "db/text.h"
#include "model/pedotransfer.h"
#include "sim/final_stage.h"

#include <cmath>

namespace sim {
namespace {

double round4(double v) {
    return std::round(v * 1e4) / 1e4;
}

db::Value number_or_null(double v, bool computed) {
    return computed ? db::Value(v) : db::Value();
}

double number_at(const db::Statement& s, int index, double if_missing) {
    if (index < 0) return if_missing;
    const db::Value v = s.column(index);
    return v.is_null() ? if_missing : v.as_double();
}

} // namespace

PlotSimulation::PlotSimulation(RunContext& ctx, std::string method, bool write_zbv, double f_bat,
                               std::set<int> grid, int total)
    : ctx_(ctx), method_(std::move(method)), balance_(balance_method(method_)),
      write_zbv_(write_zbv), f_bat_(f_bat), grid_(std::move(grid)), total_(total),
      nresult_(ctx.conn, nresult_layout()), sim_result_(ctx.conn, sim_result_layout()),
      driver_(ctx.conn, driver_layout()), balance_nresult_(ctx.conn, nresult_layout(), 12) {
    const std::string mode = ctx.state.modus == "ORV" ? "*" : ctx.sim.icon_mode;
    pools_turn_over_ = mode != "null";
    if (write_zbv_) {
        zbv_.emplace(ctx.conn, zbv_layout());
        balance_zbv_.emplace(ctx.conn, zbv_layout(), 12);
    }
    if (!balance_) {
        db::Connection& c = ctx.conn;
        turnover_.emplace(TurnoverStatements{
            c.prepare("select meas_value from measurements where m_ix=-1 and fl_id=?"),
            c.prepare("select * from opstab where fl_id=? and year_=?"),
            c.prepare(c.has_column("tmp_bat", "t_level")
                          ? "select year_0, BAT, BATnotill, t_level from tmp_bat "
                            "where FL_ID=? order by year_0"
                          : "select year_0, BAT from tmp_bat where FL_ID=? order by year_0"),
            c.prepare("select * from som_state where yr=? and fl_id=?"),
            {}});
        for (const char* col :
             {"cops", "part", "cnr_alt", "pop", "cnr", "k", "eta", "mkd", "item_ix"})
            turnover_->input_columns.push_back(turnover_->inputs.column_index(col));
    }
}

StageEnd PlotSimulation::run(RunRows& rows) {
    db::Transaction tx(ctx_.conn, true);
    StageEnd end = StageEnd::completed;
    try {
        auto plot_rows = rows.next_plot();
        while (plot_rows && end == StageEnd::completed) {
            auto next = rows.next_plot();
            end = plot(std::move(*plot_rows), !next);
            plot_rows = std::move(next);
        }
    } catch (...) {
        tx.commit(); // the rows written so far stay, as after an early end
        throw;
    }
    tx.commit();
    return end;
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

StageEnd PlotSimulation::plot(std::vector<RunRow> rows, bool last) {
    const int plot = rows.front().fl_id;
    const std::size_t all_rows = rows.size();
    if (!skip_leading_rows(rows)) {
        done_ += static_cast<int>(all_rows);
        if (last && ctx_.state.modus == "ORV") {
            ctx_.dialogs.show_message(init_check_caption, orv_init_text);
            return StageEnd::ended;
        }
        return StageEnd::completed; // the plot has no year with a measurement to start from
    }
    done_ += static_cast<int>(all_rows - rows.size());
    last_plot_ = plot;
    ctx_.observer.process_events();
    if (!grid_.count(plot)) ctx_.message(not_in_grid_text + std::to_string(plot));
    return balance_ ? balance_plot(rows) : turnover_plot(rows, last);
}

// A plot of a humus balance method: the site data count as usable; the yearly balances
// come with the rows.
StageEnd PlotSimulation::balance_plot(const std::vector<RunRow>& rows) {
    const int plot = rows.front().fl_id;
    BalanceAccount account(*balance_, rows.front());
    int n_years = 0;
    const StageEnd end = repetitions(rows, [&](const RunRow& data, int k, int z_jahr) {
        write_balance_year(plot, z_jahr, k, account.year(data), account.c_lts(), ++n_years);
    });
    if (end != StageEnd::ended) write_driver_row(plot, account.summary());
    return end;
}

// A plot of the turnover model: site data, start state, the years with their inputs.
StageEnd PlotSimulation::turnover_plot(const std::vector<RunRow>& rows, bool last) {
    const int plot = rows.front().fl_id;
    const std::optional<ModelOptions> options = usable_site(rows.front());
    if (!options) {
        const std::string text = missing_data_text + std::to_string(plot);
        ctx_.message(text);
        ctx_.dialogs.show_message("ERROR", text);
        done_ += static_cast<int>(rows.size());
        return StageEnd::completed;
    }
    std::optional<PlotModel> model;
    try {
        SiteConstants site{};
        const RunRow& r = rows.front();
        if (pools_turn_over_) {
            site = {r.corg, r.bd,   r.skelett, r.cif,  r.hsnk_lts, r.norg,
                    r.fchw, r.fbio, r.clay,    r.silt, 0};
        }
        turnover_->non_bal.bind(1, plot);
        site.non_bal = turnover_->non_bal.step() ? turnover_->non_bal.column(0).as_double() : 0.0;
        turnover_->non_bal.reset();
        model.emplace(site, *options);
    } catch (const SoilError& e) {
        ctx_.message(missing_data_text + std::to_string(plot) + ": " + e.what());
        ctx_.dialogs.show_message("ERROR", missing_data_text + std::to_string(plot));
        done_ += static_cast<int>(rows.size());
        return StageEnd::completed;
    }
    if (!load_initial_state(*model, rows.front())) {
        done_ += static_cast<int>(rows.size());
        return StageEnd::completed;
    }
    load_bats(plot);
    last_input_year_ = 0;
    const StageEnd end = repetitions(
        rows, [&](const RunRow&, int k, int z_jahr) { simulate_year(*model, plot, k, z_jahr); });
    ctx_.sim.om_state = model->om_state();
    if (end == StageEnd::completed && last && ctx_.sim.scenario)
        for (const std::string& failure :
             save_om_state(ctx_.conn, plot, last_z_jahr_, ctx_.sim.om_state))
            ctx_.message(failure);
    if (end != StageEnd::ended) write_driver_row(plot, model->summary());
    return end;
}

// The site data of the plot's first row; nothing when they cannot carry a simulation.
std::optional<ModelOptions> PlotSimulation::usable_site(const RunRow& r) {
    ModelOptions o;
    o.parms = ctx_.sim.parms;
    o.dyn_bd = ctx_.sim.dyn_bd;
    o.dyn_lts = ctx_.sim.dyn_lts;
    o.hassink = ctx_.sim.hassink;
    o.pools_turn_over = pools_turn_over_;
    if (pools_turn_over_ && !(r.corg * r.bd > 0 && r.cif >= 0 && r.bd > 0)) return std::nullopt;
    return o;
}

// A plot whose i_con names a source plot starts from that plot's saved state of the year
// before its first year. A state that is missing or ambiguous is reported and the plot
// left out, rather than starting it from whatever the previous plot left.
bool PlotSimulation::load_initial_state(PlotModel& model, const RunRow& first) {
    const std::string& i_con = first.i_con;
    if (db::iequals(i_con, "obsval") || db::iequals(i_con, "null") || i_con.empty()) return true;
    turnover_->saved_state.bind(1, first.year_0 - 1);
    turnover_->saved_state.bind(2, db::Value(i_con));
    std::vector<OmState> found;
    while (turnover_->saved_state.step()) {
        OmState s;
        const auto at = [&](const char* c) {
            return number_at(turnover_->saved_state, turnover_->saved_state.column_index(c), 0);
        };
        s.c_am = at("c_am");
        s.c_sm = at("c_sm");
        s.c_lts = at("c_lts");
        s.cnr_am = at("cnr_am");
        s.cnr_sm = at("cnr_sm");
        s.cnr_lts = at("cnr_lts");
        found.push_back(s);
    }
    turnover_->saved_state.reset();
    if (found.size() != 1) {
        ctx_.dialogs.show_message(no_state_caption, no_state_text);
        ctx_.message("FL_ID " + std::to_string(first.fl_id) + ":" + no_state_text + "(i_con " +
                     i_con + ", year " + std::to_string(first.year_0 - 1) +
                     "); the plot is left out");
        return false;
    }
    model.start_from(found.front());
    return true;
}

// The plot's repetitions: the years of its rows, gaps filled with the preceding row's
// year, then z_cnt more times from the year z_anf on.
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
            last_z_jahr_ = z_jahr;
            prev = k;
            if (!gap) {
                ++i;
                advance_progress();
            }
            ctx_.observer.process_events();
            if (ctx_.observer.stop_requested() || ctx_.sim.stop_run) return StageEnd::stopped;
        }
    }
    return StageEnd::completed;
}

void PlotSimulation::simulate_year(PlotModel& model, int plot, int k, int z_jahr) {
    add_inputs(model, plot, k);
    const YearResult y = model.year(year_bat(k));
    write_year(plot, z_jahr, y, model.summary().n_years);
}

// The inputs of year k; a year without inputs gets those of the latest year that had some.
void PlotSimulation::add_inputs(PlotModel& model, int plot, int k) {
    const auto query = [&](int year) {
        turnover_->inputs.bind(1, plot);
        turnover_->inputs.bind(2, year);
        return turnover_->inputs.step();
    };
    bool any = query(k);
    if (any) {
        last_input_year_ = k;
    } else {
        turnover_->inputs.reset();
        any = query(last_input_year_);
    }
    const auto at = [&](std::size_t c, double if_missing) {
        return number_at(turnover_->inputs, turnover_->input_columns[c], if_missing);
    };
    for (; any; any = turnover_->inputs.step()) {
        FomInput in;
        in.cops = at(0, 0);
        if (!(in.cops > 0)) continue;
        in.part = at(1, 0);
        in.cnr_alt = at(2, 0);
        in.pop = at(3, 1);
        in.cnr = at(4, 0);
        in.k = at(5, 0);
        in.eta = at(6, 0);
        in.mkd = static_cast<int>(at(7, 0));
        in.item_ix = static_cast<int>(at(8, 0));
        model.add_input(in);
    }
    turnover_->inputs.reset();
}

void PlotSimulation::load_bats(int plot) {
    plot_bats_.clear();
    bat_cursor_ = 0;
    turnover_->bats.bind(1, plot);
    const bool mixed = turnover_->bats.column_count() > 2;
    while (turnover_->bats.step()) {
        double bat = number_at(turnover_->bats, 1, 0);
        if (mixed) {
            const double t_level = number_at(turnover_->bats, 3, 0);
            bat = (bat * (100 - t_level) + number_at(turnover_->bats, 2, 0) * t_level) / 100;
        }
        plot_bats_.push_back({static_cast<int>(number_at(turnover_->bats, 0, 0)), bat * f_bat_});
    }
    turnover_->bats.reset();
}

// The BAT of year k; a year without a row takes the row the cursor stands on. The cursor
// moves on by one row every year.
double PlotSimulation::year_bat(int k) {
    double bat = 0;
    auto found = std::find_if(plot_bats_.begin(), plot_bats_.end(),
                              [k](const YearBat& b) { return b.yr == k; });
    if (found != plot_bats_.end())
        bat = found->bat;
    else if (!plot_bats_.empty())
        bat = plot_bats_[std::min(bat_cursor_, plot_bats_.size() - 1)].bat;
    ++bat_cursor_;
    return bat;
}

void PlotSimulation::write_year(int plot, int z_jahr, const YearResult& y, int n_years) {
    nresult_.append({plot, z_jahr, y.n_m_om, y.n_ops, y.c_ops, y.c_som, y.c_lts, y.n_org, y.n_som,
                     y.c_mic, y.c_rep, y.bat, y.n_flush, y.n_m_fom, y.bd, y.pwp, y.a_age, y.s_age,
                     y.l_age});
    if (zbv_)
        zbv_->append({plot, z_jahr, y.c_min_total, y.c_min_fom, y.c_rep, y.c_ops, y.c_fom_in,
                      y.c_som, y.c_lts, y.c_hws, y.mkd_a, y.mkd_s, not_computed, not_computed,
                      not_computed});
    const bool simulated = method_ == "TSM" && pools_turn_over_;
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
