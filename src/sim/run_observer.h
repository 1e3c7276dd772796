// run_observer.h --- what a run tells its window or console, and how it is stopped.
#pragma once

#include <string>
#include <vector>

namespace sim {

// The simulator window keeps itself alive and shows progress through this seam; the
// console prints; tests record.
class RunObserver {
public:
    virtual ~RunObserver() = default;
    // One line of the message list ("tmp bat :" followed by a row count, ...).
    virtual void message(const std::string& line) = 0;
    virtual void progress(int position, int maximum) = 0;
    // Lets the user interface process pending events between steps.
    virtual void process_events() = 0;
    // The "STOP RUN" check box.
    virtual bool stop_requested() = 0;
    // A run begins: the message list was cleared and the buttons disabled.
    virtual void run_started() {}
};

// Records everything; for tests and the console.
class RecordingObserver : public RunObserver {
public:
    std::vector<std::string> lines;
    bool stop = false;
    void message(const std::string& line) override { lines.push_back(line); }
    void progress(int, int) override {}
    void process_events() override {}
    bool stop_requested() override { return stop; }
};

} // namespace sim
