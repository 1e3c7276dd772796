#include "sim/plot_workers.h"

namespace sim {

int simulation_threads(int requested) {
    if (requested > 0) return requested;
    const unsigned cores = std::thread::hardware_concurrency();
    return cores > 0 ? static_cast<int>(cores) : 1;
}

PlotWorkers::PlotWorkers(int threads) {
    for (int i = 0; i < threads; ++i) threads_.emplace_back([this] { work(); });
}

PlotWorkers::~PlotWorkers() {
    {
        std::lock_guard lock(mutex_);
        closing_ = true;
        tasks_.clear();
    }
    ready_.notify_all();
    threads_.clear(); // joins
}

std::future<void> PlotWorkers::submit(std::function<void()> task) {
    std::packaged_task<void()> packaged(std::move(task));
    std::future<void> done = packaged.get_future();
    {
        std::lock_guard lock(mutex_);
        tasks_.push_back(std::move(packaged));
    }
    ready_.notify_one();
    return done;
}

void PlotWorkers::work() {
    for (;;) {
        std::packaged_task<void()> task;
        {
            std::unique_lock lock(mutex_);
            ready_.wait(lock, [this] { return closing_ || !tasks_.empty(); });
            if (closing_) return;
            task = std::move(tasks_.front());
            tasks_.pop_front();
        }
        task();
    }
}

} // namespace sim
