// plot_workers.h --- the threads that simulate plots side by side in the final stage.
#pragma once

#include <condition_variable>
#include <deque>
#include <functional>
#include <future>
#include <mutex>
#include <thread>
#include <vector>

namespace sim {

// The number of threads a run simulates on: `requested` when positive, else one per core.
int simulation_threads(int requested);

// A fixed set of threads working through tasks in the order they were handed in. Tasks
// not yet started when it is destroyed are dropped; running ones are waited for.
class PlotWorkers {
public:
    explicit PlotWorkers(int threads);
    ~PlotWorkers();
    PlotWorkers(const PlotWorkers&) = delete;
    PlotWorkers& operator=(const PlotWorkers&) = delete;

    // Queues the task; the future becomes ready when it has run (or holds its exception).
    std::future<void> submit(std::function<void()> task);

private:
    void work();

    std::mutex mutex_;
    std::condition_variable ready_;
    std::deque<std::packaged_task<void()>> tasks_;
    bool closing_ = false;
    std::vector<std::jthread> threads_;
};

} // namespace sim
