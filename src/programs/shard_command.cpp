// shard_command.cpp --- one shard of a split run from the console.
#include "programs/shard_command.h"

#include "app/command_line.h"
#include "db/connection.h"
#include "db/content_hash.h"
#include "db/database_copy.h"
#include "programs/batch_commands.h"
#include "sim/run_driver.h"
#include "sim/shard.h"
#include "sim/shard_file.h"
#include "sim/simulator.h"

#include <algorithm>
#include <filesystem>
#include <optional>
#include <ostream>
#include <stdexcept>
#include <unistd.h>

namespace app {
namespace {

struct ShardOptions {
    sim::Shard shard;
    std::optional<std::filesystem::path> out;
    std::vector<std::string> run_args; // the start-up's arguments without the shard's
};

ShardOptions parse_shard_options(const std::vector<std::string>& args) {
    ShardOptions o;
    bool have_shard = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (a != "--shard" && a != "--out") {
            o.run_args.push_back(a);
            continue;
        }
        if (i + 1 >= args.size()) throw std::invalid_argument(a + " needs a value");
        const std::string& value = args[++i];
        if (a == "--out") {
            if (value.empty()) throw std::invalid_argument("--out needs a file name");
            o.out = value;
        } else {
            o.shard = sim::parse_shard(value);
            have_shard = true;
        }
    }
    if (!have_shard) throw std::invalid_argument("--shard i/k is missing");
    const bool runs = std::any_of(o.run_args.begin(), o.run_args.end(), [](const std::string& a) {
        return a == "go" || a == "GO" || a == "Go" || a == "gO";
    });
    if (!runs) throw std::invalid_argument("a shard is a run: go or GO is missing");
    if (o.out && !named_database(o.run_args))
        throw std::invalid_argument("--out needs the database named with DB=");
    return o;
}

// The run's parameters as the merge compares them: the arguments other than the database
// and the plot threads (shards on machines of other sizes run with other thread counts).
std::string parameters_of(const std::vector<std::string>& args) {
    std::string text;
    for (const std::string& a : args)
        if (a.rfind("DB=", 0) != 0 && !is_threads_argument(a)) text += a + "\n";
    return text;
}

// A folder of the temporary folder that is this process's own and goes with it.
class PrivateFolder {
public:
    explicit PrivateFolder(const sim::Shard& shard) {
        path_ = std::filesystem::temp_directory_path() /
                ("tsm-shard-" + std::to_string(::getpid()) + "-" + std::to_string(shard.index) +
                 "-of-" + std::to_string(shard.count));
        std::filesystem::remove_all(path_);
        std::filesystem::create_directories(path_);
    }
    ~PrivateFolder() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    PrivateFolder(const PrivateFolder&) = delete;
    PrivateFolder& operator=(const PrivateFolder&) = delete;
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

int run_into_file(const ShardOptions& o, ShardStart& start, std::ostream& out, std::ostream& err) {
    const std::string input = *named_database(o.run_args);
    PrivateFolder folder(o.shard);
    const std::filesystem::path copy = folder.path() / "input.db";
    db::copy_database(input, copy);

    sim::ShardRecord record;
    record.input = input;
    record.shard = o.shard.text();
    record.parameters = parameters_of(o.run_args);
    {
        db::Connection c(copy);
        record.input_hash = db::content_hash(c);
    }
    start.narrow_selection = [&](sim::RunContext& ctx) {
        sim::use_as_scratch_copy(ctx.conn);
        record.plots = sim::keep_shard_selection(ctx.conn, o.shard);
    };
    start.finished = [&](const sim::Simulator& s) {
        record.method = s.methode;
        record.protocol = s.sim_prot;
        record.run_id = s.run_id;
    };
    std::vector<std::string> args;
    for (const std::string& a : o.run_args)
        args.push_back(a.rfind("DB=", 0) == 0 ? "DB=" + copy.string() : a);
    const int code = start_up(args, out, err, &start);
    if (code != 0) return code;
    sim::write_shard_file(copy, *o.out, record);
    out << "shard " << record.shard << ": " << record.plots.size() << " plots, results in "
        << o.out->string() << '\n';
    return 0;
}

} // namespace

bool asks_for_shard(const std::vector<std::string>& args) {
    return std::find(args.begin(), args.end(), "--shard") != args.end() ||
           std::find(args.begin(), args.end(), "--out") != args.end();
}

int run_shard_command(const std::vector<std::string>& args, std::ostream& out, std::ostream& err) {
    const ShardOptions o = parse_shard_options(args);
    ShardStart start;
    start.shard = o.shard.text();
    start.narrow_selection = [&](sim::RunContext& ctx) {
        sim::keep_shard_selection(ctx.conn, o.shard);
    };
    if (o.out) return run_into_file(o, start, out, err);
    return start_up(o.run_args, out, err, &start);
}

} // namespace app
