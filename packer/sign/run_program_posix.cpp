#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "packer/sign/run_program.h"

extern char** environ;

namespace packer {

namespace {

// Both ends of a pipe, closed when it goes; neither end is inherited by a
// program started meanwhile except as the descriptors it is given.
class Pipe {
public:
    Pipe() {
        if (pipe2(ends_, O_CLOEXEC) != 0) ends_[0] = ends_[1] = -1;
    }
    Pipe(const Pipe&) = delete;
    Pipe& operator=(const Pipe&) = delete;
    ~Pipe() {
        CloseWriteEnd();
        if (ends_[0] >= 0) ::close(ends_[0]);
    }
    bool ok() const { return ends_[0] >= 0; }
    int ReadEnd() const { return ends_[0]; }
    int WriteEnd() const { return ends_[1]; }
    // After the program started: the read then ends when the program's copy closes.
    void CloseWriteEnd() {
        if (ends_[1] >= 0) ::close(ends_[1]);
        ends_[1] = -1;
    }

private:
    int ends_[2] = {-1, -1};
};

class SpawnActions {
public:
    SpawnActions() { posix_spawn_file_actions_init(&actions_); }
    SpawnActions(const SpawnActions&) = delete;
    SpawnActions& operator=(const SpawnActions&) = delete;
    ~SpawnActions() { posix_spawn_file_actions_destroy(&actions_); }
    posix_spawn_file_actions_t* get() { return &actions_; }

private:
    posix_spawn_file_actions_t actions_;
};

std::string Failure(int error) { return std::string("cannot be started: ") + std::strerror(error); }

}  // namespace

ProgramOutcome RunProgram(const std::vector<NativeString>& words) {
    ProgramOutcome outcome;
    if (words.empty()) {
        outcome.ending = Failure(ENOENT);
        return outcome;
    }
    Pipe output;
    if (!output.ok()) {
        outcome.ending = Failure(errno);
        return outcome;
    }
    SpawnActions actions;
    posix_spawn_file_actions_addopen(actions.get(), STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(actions.get(), output.WriteEnd(), STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(actions.get(), output.WriteEnd(), STDERR_FILENO);
    std::vector<char*> argv;
    for (const NativeString& word : words) argv.push_back(const_cast<char*>(word.c_str()));
    argv.push_back(nullptr);
    pid_t child = 0;
    // posix_spawnp searches PATH only for a name without a slash, as execvp does.
    if (const int error = posix_spawnp(&child, argv[0], actions.get(), nullptr, argv.data(), environ); error != 0) {
        outcome.ending = Failure(error);
        return outcome;
    }
    output.CloseWriteEnd();
    char buffer[4096];
    for (;;) {
        const ssize_t n = ::read(output.ReadEnd(), buffer, sizeof buffer);
        if (n > 0) {
            outcome.output.append(buffer, static_cast<size_t>(n));
        } else if (n == 0 || errno != EINTR) {
            break;
        }
    }
    int status = 0;
    pid_t waited = 0;
    do {
        waited = waitpid(child, &status, 0);
    } while (waited < 0 && errno == EINTR);
    if (waited < 0) {
        outcome.ending = std::string("was lost: ") + std::strerror(errno);
    } else if (WIFEXITED(status)) {
        outcome.succeeded = WEXITSTATUS(status) == 0;
        outcome.ending = "ended with exit code " + std::to_string(WEXITSTATUS(status));
    } else {
        outcome.ending = "was ended by signal " + std::to_string(WTERMSIG(status));
    }
    return outcome;
}

}  // namespace packer
