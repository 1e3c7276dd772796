// mpi_main.cpp --- tsm-mpi: a run split over the ranks of an MPI job. Every rank runs its
// shard of the selected plots through the console program's library; rank 0 then merges
// the shards into the database. Ranks that are done wait in a non-blocking reduction
// polled with a pause, so that they do not keep a core busy while others still run. Ranks
// that share a machine share its cores in their final stage.
//
//     mpirun -np K tsm-mpi DB=DATABASE [--shard-dir DIR] [PARAMETER ...]
#include "programs/batch_commands.h"
#include "programs/split_run.h"

#include <chrono>
#include <filesystem>
#include <iostream>
#include <mpi.h>
#include <sstream>
#include <thread>

namespace {

// The largest exit code of all ranks, waited for without spinning.
int worst_code(int code) {
    int worst = 0;
    MPI_Request request;
    MPI_Iallreduce(&code, &worst, 1, MPI_INT, MPI_MAX, MPI_COMM_WORLD, &request);
    for (int done = 0;;) {
        MPI_Test(&request, &done, MPI_STATUS_IGNORE);
        if (done) return worst;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

// The ranks of the job that run on this rank's machine (this one included).
int ranks_on_this_machine(int rank) {
    MPI_Comm machine;
    MPI_Comm_split_type(MPI_COMM_WORLD, MPI_COMM_TYPE_SHARED, rank, MPI_INFO_NULL, &machine);
    int size = 1;
    MPI_Comm_size(machine, &size);
    MPI_Comm_free(&machine);
    return size;
}

// The plot threads of this rank's final stage: the machine's cores shared among its
// ranks; 0 (one per core) for a rank alone on its machine.
int plot_threads(int rank) {
    const int here = ranks_on_this_machine(rank);
    if (here <= 1) return 0;
    return app::threads_per_rank(static_cast<int>(std::thread::hardware_concurrency()), here);
}

// Runs tsm-batch's arguments; the messages are printed only when the run fails, or
// always with `verbose`.
int run(const std::vector<std::string>& args, bool verbose) {
    std::istringstream in;
    std::ostringstream out, err;
    const int code = app::run_batch(args, in, out, err);
    if (verbose || code != 0) std::cout << out.str() << std::flush;
    std::cerr << err.str() << std::flush;
    return code;
}

int launch(const std::vector<std::string>& args, int rank, int ranks) {
    app::SplitRun split;
    int code = 0;
    try {
        split = app::parse_split_run(args);
    } catch (const std::invalid_argument& e) {
        if (rank == 0)
            std::cerr << "tsm-mpi: " << e.what()
                      << "\nusage: mpirun -np K tsm-mpi DB=DATABASE [--shard-dir DIR] "
                         "[PARAMETER ...]\n";
        return 2;
    }
    code = run(app::shard_args(split, rank + 1, ranks, plot_threads(rank)), false);
    if (code == 0)
        std::cout << "rank " << rank << ": shard " << rank + 1 << "/" << ranks << " done\n"
                  << std::flush;
    const int worst = worst_code(code);
    if (rank != 0) return code;
    if (worst != 0) {
        std::cerr << "tsm-mpi: a shard failed; nothing was merged\n";
        return worst;
    }
    code = run(app::merge_args(split, ranks), true);
    if (code == 0)
        for (int i = 1; i <= ranks; ++i) std::filesystem::remove(app::shard_file(split, i, ranks));
    return code;
}

} // namespace

int main(int argc, char** argv) {
    int provided = 0;
    MPI_Init_thread(&argc, &argv, MPI_THREAD_FUNNELED, &provided);
    int rank = 0, ranks = 1;
    MPI_Comm_rank(MPI_COMM_WORLD, &rank);
    MPI_Comm_size(MPI_COMM_WORLD, &ranks);
    const int code = launch(std::vector<std::string>(argv + 1, argv + argc), rank, ranks);
    MPI_Finalize();
    return code;
}
