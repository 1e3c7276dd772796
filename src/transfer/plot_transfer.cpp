#include "transfer/plot_transfer.h"

#include "db/connection.h"
#include "db/text.h"
#include "transfer/attached_source.h"
#include "transfer/destination.h"
#include "transfer/key_check.h"
#include "transfer/key_map.h"
#include "transfer/key_planner.h"
#include "transfer/transfer_tables.h"

#include <algorithm>
#include <map>
#include <optional>
#include <set>
#include <stdexcept>

namespace transfer {

bool TransferReport::all_arrived() const {
    return std::all_of(plots.begin(), plots.end(),
                       [](const PlotOutcome& p) { return p.arrived(); });
}

std::string outcome_line(const PlotOutcome& p) {
    const std::string id = "FL_ID " + std::to_string(p.source_id);
    const std::string rows = " (" + std::to_string(p.measurements) + " measurements, " +
                             std::to_string(p.management) + " management rows)";
    std::string line;
    switch (p.result) {
    case PlotResult::moved:
        line = id + " -> " + std::to_string(p.destination_id) + ": moved" + rows;
        break;
    case PlotResult::renumbered:
        line = id + " -> " + std::to_string(p.destination_id) +
               ": moved under a new FL_ID, the destination's FL_ID " + std::to_string(p.source_id) +
               " is another plot" + rows;
        break;
    case PlotResult::already_there:
        line = id + ": already in the destination as FL_ID " + std::to_string(p.destination_id) +
               ", left as it is";
        break;
    case PlotResult::left_out:
        line = id + ": not moved, the destination's FL_ID " + std::to_string(p.source_id) +
               " is another plot";
        break;
    case PlotResult::not_in_source:
        line = id + ": not in the source database";
        break;
    }
    if (!p.parameter_rows.empty()) {
        line += "; copied with it:";
        for (const std::string& r : p.parameter_rows) line += " " + r + ";";
        line.pop_back();
    }
    return line;
}

namespace {

// What the source says about one plot to be moved.
struct SourcePlot {
    std::int64_t id = 0;
    bool exists = false;
    db::Value soil, station, code;
    std::string i_con;
};

// i_con as a plot key: a whole number, else nothing ("obsval", "null").
std::optional<std::int64_t> plot_key(const std::string& i_con) {
    const std::string t = db::trim(i_con);
    if (t.empty() || t.size() > 18 || t.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoll(t);
}

class PlotTransfer {
public:
    PlotTransfer(db::Connection& c, const TransferOptions& options)
        : c_(c), options_(options), map_(c), planner_(c, map_) {}

    TransferReport run(const std::vector<std::int64_t>& plots) {
        read_plots(plots);
        decide_stations_and_soils();
        decide_experiments();
        decide_references_and_keywords();
        decide_saved_states();
        decide_plots();
        check_destination_tables();
        copy_rows();
        add_links();
        copy_parameter_rows();
        return std::move(report_);
    }

private:
    bool source_has(const std::string& table) { return !table_columns(c_, "src", table).empty(); }
    bool destination_has(const std::string& table) {
        return !table_columns(c_, "main", table).empty();
    }

    db::Value scalar(const std::string& sql, const std::vector<db::Value>& params) {
        db::Statement q = c_.prepare_native(sql);
        for (std::size_t i = 0; i < params.size(); ++i) q.bind(static_cast<int>(i + 1), params[i]);
        return q.step() ? q.column(0) : db::Value();
    }

    std::vector<std::int64_t> keys(const std::string& sql, std::int64_t param) {
        db::Statement q = c_.prepare_native(sql);
        q.bind(1, param);
        std::vector<std::int64_t> found;
        while (q.step())
            if (!q.column(0).is_null()) found.push_back(q.column(0).as_int());
        return found;
    }

    void read_plots(const std::vector<std::int64_t>& plots) {
        if (!source_has("field_description"))
            throw std::runtime_error("The source database has no table field_description.");
        db::Statement q = c_.prepare_native("SELECT soil_ID, climate_ID, versuch_code, i_con FROM "
                                            "src.field_description WHERE FL_ID = ?");
        std::set<std::int64_t> seen;
        for (std::int64_t id : plots) {
            if (!seen.insert(id).second) continue;
            SourcePlot p;
            p.id = id;
            q.reset();
            q.bind(1, id);
            if (q.step()) {
                p.exists = true;
                p.soil = q.column(0);
                p.station = q.column(1);
                p.code = q.column(2);
                p.i_con = q.column(3).as_text();
            }
            plots_.push_back(p);
        }
    }

    // Decides a key of a kind that the source holds, and notes a key that changes.
    std::optional<Decision> decide(KeyKind kind, std::int64_t key, const char* table,
                                   const char* column) {
        if (!source_has(table)) return std::nullopt;
        if (scalar("SELECT 1 FROM src." + name(table) + " WHERE " + name(column) + " = ?", {key})
                .is_null())
            return std::nullopt; // a reference to nothing stays as it is
        const Decision d = planner_.decide(kind, key);
        if (d.renumbered() && noted_.insert({static_cast<int>(kind), key}).second)
            report_.notes.push_back(
                std::string(kind_name(kind)) + " " + std::to_string(key) + " -> " +
                std::to_string(d.new_key) +
                (d.action == Decision::Action::reuse
                     ? ": the destination holds the same rows under this key"
                     : ": the destination's " + std::to_string(key) + " holds other rows"));
        return d;
    }

    void decide_stations_and_soils() {
        for (const SourcePlot& p : plots_) {
            if (!p.exists) continue;
            if (p.station.is_number())
                decide(KeyKind::station, p.station.as_int(), "climate_station", "climate_ID");
            if (p.soil.is_number())
                decide(KeyKind::soil, p.soil.as_int(), "soilproperties", "soil_ID");
        }
    }

    // The experiment of a plot is found by its code, or by the code's number.
    void decide_experiments() {
        for (const SourcePlot& p : plots_) {
            if (!p.exists || p.code.is_null() || !source_has("experiments")) continue;
            if (map_.find(KeyKind::experiment_code, p.code)) continue;
            db::Value exp = scalar("SELECT exp_id FROM src.experiments WHERE vcode = ?", {p.code});
            if (exp.is_null())
                exp = db::Value(static_cast<std::int64_t>(db::parse_val(p.code.as_text())));
            const auto d = decide(KeyKind::experiment, exp.as_int(), "experiments", "exp_id");
            if (!d) continue;
            db::Value code = p.code;
            if (d->action == Decision::Action::reuse)
                code = scalar("SELECT vcode FROM main.experiments WHERE exp_id = ?", {d->new_key});
            else if (d->renumbered())
                code = db::Value(std::to_string(d->new_key));
            map_.set(KeyKind::experiment_code, p.code, code, d->action == Decision::Action::copy);
            const db::Value own =
                scalar("SELECT vcode FROM src.experiments WHERE exp_id = ?", {exp});
            if (!own.is_null() && !map_.find(KeyKind::experiment_code, own))
                map_.set(KeyKind::experiment_code, own, code, d->action == Decision::Action::copy);
        }
    }

    void decide_references_and_keywords() {
        std::vector<std::int64_t> refs, words;
        if (source_has("ref2vcode")) {
            db::Statement q = c_.prepare_native(
                "SELECT DISTINCT lit_id FROM src.ref2vcode WHERE versuchs_code IN " +
                KeyMap::keys(KeyKind::experiment_code, false) + " ORDER BY lit_id");
            while (q.step()) refs.push_back(q.column(0).as_int());
        }
        if (source_has("key2ref2fl")) {
            for (const SourcePlot& p : plots_) {
                if (!p.exists) continue;
                for (auto r : keys("SELECT ref_id FROM src.key2ref2fl WHERE fl_id = ?", p.id))
                    refs.push_back(r);
                for (auto k : keys("SELECT key_id FROM src.key2ref2fl WHERE fl_id = ?", p.id))
                    words.push_back(k);
            }
        }
        for (auto r : refs) decide(KeyKind::reference, r, "referenzen", "lit_id");
        for (auto k : words) decide(KeyKind::keyword, k, "refkey_def", "key_id");
    }

    bool requested(std::int64_t id) const {
        return std::any_of(plots_.begin(), plots_.end(),
                           [&](const SourcePlot& p) { return p.exists && p.id == id; });
    }

    // A plot that starts from the saved state of a plot that stays behind takes that
    // state along.
    void decide_saved_states() {
        for (const SourcePlot& p : plots_) {
            const auto from = plot_key(p.i_con);
            if (!p.exists || !from || requested(*from)) continue;
            if (const auto d = decide(KeyKind::saved_state, *from, "som_state", "fl_id"))
                map_.set(KeyKind::initial_condition, p.i_con, std::to_string(d->new_key), false);
        }
    }

    // Plots that others start from are decided first, so that the others' i_con can
    // be compared and copied with the new key.
    void decide_plots() {
        std::vector<SourcePlot*> order;
        for (SourcePlot& p : plots_)
            if (p.exists) order.push_back(&p);
        std::stable_partition(order.begin(), order.end(), [&](const SourcePlot* p) {
            return std::any_of(plots_.begin(), plots_.end(), [&](const SourcePlot& q) {
                return plot_key(q.i_con) == std::optional<std::int64_t>(p->id);
            });
        });
        for (SourcePlot* p : order) outcomes_[p->id] = decide_plot(*p);
        for (const SourcePlot& p : plots_)
            report_.plots.push_back(p.exists ? outcomes_[p.id] : absent(p.id));
    }

    static PlotOutcome absent(std::int64_t id) {
        PlotOutcome o;
        o.source_id = o.destination_id = id;
        o.result = PlotResult::not_in_source;
        return o;
    }

    PlotOutcome decide_plot(const SourcePlot& p) {
        PlotOutcome o;
        o.source_id = p.id;
        const auto renumber = [&](std::int64_t new_id) {
            return !options_.renumber_plot || options_.renumber_plot(p.id, new_id);
        };
        const Decision d = planner_.decide(KeyKind::plot, p.id, renumber);
        o.destination_id = d.new_key;
        if (d.action == Decision::Action::left_out)
            o.result = PlotResult::left_out;
        else if (d.action == Decision::Action::reuse)
            o.result = PlotResult::already_there;
        else
            o.result = d.renumbered() ? PlotResult::renumbered : PlotResult::moved;
        if (d.action != Decision::Action::left_out)
            for (const SourcePlot& q : plots_)
                if (plot_key(q.i_con) == std::optional<std::int64_t>(p.id))
                    map_.set(KeyKind::initial_condition, q.i_con, std::to_string(d.new_key), false);
        if (o.result == PlotResult::moved || o.result == PlotResult::renumbered) {
            o.measurements = static_cast<int>(
                scalar("SELECT count(*) FROM src.measurements WHERE FL_ID = ?", {p.id}).as_int());
            o.management = static_cast<int>(
                scalar("SELECT count(*) FROM src.cultivation WHERE FL_ID = ?", {p.id}).as_int());
        }
        return o;
    }

    // A table the destination lacks refuses the whole transfer before anything is written.
    void check_destination_tables() {
        std::vector<const TableStep*> steps;
        for (const Entity& e : entities())
            for (const TableStep& s : e.tables) steps.push_back(&s);
        for (const TableStep& s : link_tables()) steps.push_back(&s);
        for (const TableStep* s : steps) {
            if (!source_has(s->table) || destination_has(s->table)) continue;
            const bool rows =
                !scalar("SELECT 1 FROM src." + name(s->table) + " WHERE " + name(s->by) + " IN " +
                            KeyMap::keys(s->by_kind, true) + " LIMIT 1",
                        {})
                     .is_null();
            if (s->required || rows) missing_table(s->table);
        }
        for (const char* t : {crop_table, amendment_table})
            if (!destination_has(t)) missing_table(t);
    }

    [[noreturn]] void missing_table(const std::string& table) {
        throw std::runtime_error("The destination database has no table " + table +
                                 ". Nothing was moved.");
    }

    // The columns both tables have, the source's values with their keys replaced.
    std::pair<std::string, std::string> column_lists(const TableStep& s) {
        std::string into, values;
        for (const std::string& col : shared_columns(c_, s.table)) {
            into += (into.empty() ? "" : ", ") + name(col);
            std::string v = "s." + name(col);
            if (db::iequals(col, s.by)) v = KeyMap::mapped("s", col, s.by_kind);
            for (const KeyColumn& k : s.refers)
                if (db::iequals(col, k.column)) v = KeyMap::mapped("s", col, k.kind);
            values += (values.empty() ? "" : ", ") + v;
        }
        return {into, values};
    }

    void note_lost_columns(const TableStep& s) {
        for (const std::string& col : source_only_columns(c_, s.table))
            report_.notes.push_back(s.table + "." + col +
                                    ": the destination has no such column; its values stay "
                                    "in the source");
    }

    void copy_rows() {
        for (const Entity& e : entities()) {
            for (const TableStep& s : e.tables) {
                if (!source_has(s.table) || !destination_has(s.table)) continue;
                const auto [into, values] = column_lists(s);
                const int rows =
                    c_.prepare_native("INSERT INTO main." + name(s.table) + " (" + into +
                                      ") SELECT " + values + " FROM src." + name(s.table) +
                                      " s WHERE s." + name(s.by) + " IN " +
                                      KeyMap::keys(s.by_kind, true) + " ORDER BY s.rowid")
                        .execute();
                if (rows > 0) note_lost_columns(s);
            }
        }
    }

    // Links of the moved keys whose other end came along too, without duplicates.
    void add_links() {
        for (const TableStep& s : link_tables()) {
            if (!source_has(s.table) || !destination_has(s.table)) continue;
            const auto [into, values] = column_lists(s);
            std::string where = "s." + name(s.by) + " IN " + KeyMap::keys(s.by_kind, false);
            for (const KeyColumn& k : s.refers)
                where += " AND s." + name(k.column) + " IN " + KeyMap::keys(k.kind, false);
            c_.prepare_native("INSERT INTO main." + name(s.table) + " (" + into + ") SELECT " +
                              values + " FROM src." + name(s.table) + " s WHERE " + where +
                              " EXCEPT SELECT " + into + " FROM main." + name(s.table))
                .execute();
        }
    }

    // The crops and amendments a moved plot uses and the destination lacks come along.
    void copy_parameter_rows() {
        for (PlotOutcome& o : report_.plots) {
            if (o.result != PlotResult::moved && o.result != PlotResult::renumbered) continue;
            const KeyCheck check = check_key_items(c_, o.source_id);
            copy_missing(check.amendments, amendment_table, "amendment", o);
            copy_missing(check.crops, crop_table, "crop", o);
        }
    }

    void copy_missing(const std::vector<KeyItem>& items, const char* table, const char* what,
                      PlotOutcome& o) {
        for (const KeyItem& i : items) {
            if (!i.missing()) continue;
            const std::string label = std::string(what) + " " + std::to_string(i.key);
            if (copy_parameter_row(c_, table, i.key) == 1)
                o.parameter_rows.push_back(label + " " + i.source_name);
            else if (i.source_name.empty() &&
                     scalar("SELECT 1 FROM src." + name(table) + " WHERE ITEM_IX = ?", {i.key})
                         .is_null())
                o.parameter_rows.push_back(label + " (in neither database)");
        }
    }

    db::Connection& c_;
    const TransferOptions& options_;
    KeyMap map_;
    KeyPlanner planner_;
    std::vector<SourcePlot> plots_;
    std::map<std::int64_t, PlotOutcome> outcomes_;
    std::set<std::pair<int, std::int64_t>> noted_;
    TransferReport report_;
};

// One transaction over the destination that locks only what it writes: the attached
// source is read, never locked against its own writers.
class ReadingTransaction {
public:
    explicit ReadingTransaction(db::Connection& c) : c_(c) { c_.execute_native("BEGIN"); }
    ReadingTransaction(const ReadingTransaction&) = delete;
    ReadingTransaction& operator=(const ReadingTransaction&) = delete;
    ~ReadingTransaction() {
        if (!done_) c_.rollback();
    }
    void commit() {
        c_.commit();
        done_ = true;
    }

private:
    db::Connection& c_;
    bool done_ = false;
};

} // namespace

TransferReport transfer_plots(db::Connection& destination, const std::filesystem::path& source,
                              const std::vector<std::int64_t>& plots,
                              const TransferOptions& options) {
    if (same_file(source, destination.path()))
        throw std::invalid_argument("The destination " + destination.path().string() +
                                    " is the source database itself. Choose another file.");
    if (!std::filesystem::is_regular_file(source))
        throw std::invalid_argument("The source database " + source.string() + " does not exist.");
    AttachedSource attached(destination, source);
    TransferReport report;
    {
        PlotTransfer transfer(destination, options);
        ReadingTransaction t(destination);
        report = transfer.run(plots);
        t.commit();
    }
    return report;
}

} // namespace transfer
