#include "sim/app_exec.h"

#include <cerrno>
#include <csignal>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace sim {

std::vector<std::string> split_arguments(const std::string& line) {
    std::vector<std::string> words;
    std::string word;
    bool quoted = false, any = false;
    for (char c : line) {
        if (c == '"') {
            quoted = !quoted;
            any = true;
        } else if (c == ' ' && !quoted) {
            if (any) words.push_back(word);
            word.clear();
            any = false;
        } else {
            word += c;
            any = true;
        }
    }
    if (any) words.push_back(word);
    return words;
}

namespace {

// Reaps a child without blocking; true when it has ended (or is not ours any more).
bool ended(pid_t pid) {
    int status = 0;
    const pid_t r = ::waitpid(pid, &status, WNOHANG);
    return r == pid || (r < 0 && errno == ECHILD);
}

} // namespace

TsrbAppExec::~TsrbAppExec() {
    // A program still running goes on; its end is no longer watched.
    if (working && pid_ > 0) ended(pid_);
}

void TsrbAppExec::Execute() {
    std::vector<std::string> words = split_arguments(Parameters);
    words.insert(words.begin(), ApplicationName);
    words.insert(words.end(), Arguments.begin(), Arguments.end());
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    if (!CurrentDir.empty()) posix_spawn_file_actions_addchdir_np(&actions, CurrentDir.c_str());
    pid_t pid = 0;
    const int rc =
        ::posix_spawnp(&pid, ApplicationName.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (rc != 0) {
        ResultCode = rc;
        return;
    }
    if (working && pid_ > 0) ended(pid_); // the earlier process is forgotten
    ResultCode = -1;
    pid_ = pid;
    working = true;
}

void TsrbAppExec::poll() {
    if (!working) return;
    if (ended(pid_)) {
        finished = true;
        working = false;
    } else {
        finished = false;
    }
}

} // namespace sim
