#include "sim/turnover_plot.h"

#include "db/text.h"
#include "model/pedotransfer.h"
#include "sim/final_stage.h"

#include <algorithm>
#include <optional>

namespace sim {
namespace {

// Collects the events of one plot and keeps its yearly loop state.
class PlotRun {
public:
    PlotRun(const TurnoverInputs& in, const TurnoverSettings& settings, int year_limit)
        : in_(in), settings_(settings), year_limit_(year_limit), plot_(in.rows.front().fl_id) {}

    PlotOutcome run();

private:
    void line(std::string text) {
        PlotEvent& e = out_.events.emplace_back();
        e.text = std::move(text);
    }
    void dialog(std::string caption, std::string text) {
        PlotEvent& e = out_.events.emplace_back();
        e.kind = PlotEvent::Kind::dialog;
        e.caption = std::move(caption);
        e.text = std::move(text);
    }
    bool usable_site(const RunRow& r) const;
    bool start_state(PlotModel& model);
    bool repetitions(PlotModel& model);
    void simulate_year(PlotModel& model, int k, int z_jahr, bool new_row);
    double year_bat(int k);
    void leave_out() { out_.left_out_rows = static_cast<int>(in_.rows.size()); }

    const TurnoverInputs& in_;
    const TurnoverSettings& settings_;
    int year_limit_;
    int plot_;
    PlotOutcome out_;
    int years_ = 0;
    std::size_t bat_cursor_ = 0;
    int last_input_year_ = 0;
};

bool PlotRun::usable_site(const RunRow& r) const {
    return !settings_.options.pools_turn_over || (r.corg * r.bd > 0 && r.cif >= 0 && r.bd > 0);
}

// A plot whose i_con names a source plot starts from that plot's saved state of the year
// before its first year. A state that is missing or ambiguous is reported and the plot
// left out, rather than starting it from whatever the previous plot left.
bool PlotRun::start_state(PlotModel& model) {
    const RunRow& first = in_.rows.front();
    const std::string& i_con = first.i_con;
    if (db::iequals(i_con, "obsval") || db::iequals(i_con, "null") || i_con.empty()) return true;
    if (in_.saved_states.size() != 1) {
        dialog(no_state_caption, no_state_text);
        line("FL_ID " + std::to_string(plot_) + ":" + no_state_text + "(i_con " + i_con +
             ", year " + std::to_string(first.year_0 - 1) + "); the plot is left out");
        return false;
    }
    model.start_from(in_.saved_states.front());
    return true;
}

// The plot's repetitions: the years of its rows, gaps filled with the preceding row's
// year, then z_cnt more times from the year z_anf on. False when a message box ends the
// final stage; also returns when the year limit is reached.
bool PlotRun::repetitions(PlotModel& model) {
    const std::vector<RunRow>& rows = in_.rows;
    int z_jahr = 0;
    for (int rep = 0; rep <= settings_.z_cnt; ++rep) {
        std::size_t i = 0;
        int prev = rows.front().year_0 - 1;
        if (rep > 0) {
            while (i < rows.size() && rows[i].year_0 != settings_.z_anf) ++i;
            if (i == rows.size()) {
                dialog(loopback_caption, loopback_text);
                return false;
            }
            prev = settings_.z_anf - 1;
        }
        while (i < rows.size()) {
            int k = rows[i].year_0;
            const bool gap = k > prev + 1 && i > 0;
            if (gap) k = prev + 1; // the missing year, with the data of the row before
            if (k != prev + 1) {
                line("fl_id" + std::to_string(plot_) + ": " + std::to_string(prev + 1) +
                     ":missed harvest");
                return true;
            }
            z_jahr = rep == 0 ? k : z_jahr + 1;
            simulate_year(model, k, z_jahr, !gap);
            out_.last_z_jahr = z_jahr;
            if (++years_ >= year_limit_) return true;
            prev = k;
            if (!gap) ++i;
        }
    }
    return true;
}

void PlotRun::simulate_year(PlotModel& model, int k, int z_jahr, bool new_row) {
    if (const std::vector<FomInput>* inputs = inputs_of_year(in_, k, last_input_year_))
        for (const FomInput& input : *inputs)
            if (input.cops > 0) model.add_input(input);
    PlotEvent e;
    e.kind = PlotEvent::Kind::year;
    e.result = model.year(year_bat(k));
    e.z_jahr = z_jahr;
    e.n_years = model.summary().n_years;
    e.new_row = new_row;
    out_.events.push_back(std::move(e));
}

// The BAT of year k; a year without a row takes the row the cursor stands on. The cursor
// moves on by one row every year.
double PlotRun::year_bat(int k) {
    const std::vector<YearBat>& bats = in_.bats;
    double bat = 0;
    const auto found =
        std::find_if(bats.begin(), bats.end(), [k](const YearBat& b) { return b.yr == k; });
    if (found != bats.end())
        bat = found->bat;
    else if (!bats.empty())
        bat = bats[std::min(bat_cursor_, bats.size() - 1)].bat;
    ++bat_cursor_;
    return bat;
}

PlotOutcome PlotRun::run() {
    try {
        const RunRow& r = in_.rows.front();
        if (!usable_site(r)) {
            const std::string text = missing_data_text + std::to_string(plot_);
            line(text);
            dialog("ERROR", text);
            leave_out();
            return std::move(out_);
        }
        std::optional<PlotModel> model;
        try {
            SiteConstants site{};
            if (settings_.options.pools_turn_over) {
                site = {r.corg, r.bd,   r.skelett, r.cif,  r.hsnk_lts, r.norg,
                        r.fchw, r.fbio, r.clay,    r.silt, 0};
            }
            site.non_bal = in_.non_bal;
            model.emplace(site, settings_.options);
        } catch (const SoilError& e) {
            line(missing_data_text + std::to_string(plot_) + ": " + e.what());
            dialog("ERROR", missing_data_text + std::to_string(plot_));
            leave_out();
            return std::move(out_);
        }
        if (!start_state(*model)) {
            leave_out();
            return std::move(out_);
        }
        out_.completed = repetitions(*model);
        out_.simulated = true;
        out_.om_state = model->om_state();
        out_.summary = model->summary();
    } catch (...) {
        out_.error = std::current_exception();
    }
    return std::move(out_);
}

} // namespace

const std::vector<FomInput>* inputs_of_year(const TurnoverInputs& in, int k, int& last_input_year) {
    auto found = in.fom.find(k);
    if (found != in.fom.end()) {
        last_input_year = k;
        return &found->second;
    }
    found = in.fom.find(last_input_year);
    return found != in.fom.end() ? &found->second : nullptr;
}

PlotOutcome simulate_turnover_plot(const TurnoverInputs& in, const TurnoverSettings& settings,
                                   int year_limit) {
    return PlotRun(in, settings, year_limit).run();
}

} // namespace sim
