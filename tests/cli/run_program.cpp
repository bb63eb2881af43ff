#include "run_program.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>

extern char** environ;

namespace testing_support {

ProgramRun RunProgram(const std::string& path, const std::vector<std::string>& args,
                      const std::string& input, int limitSeconds) {
    ProgramRun run;
    int in[2], out[2], err[2];
    if (pipe2(in, O_CLOEXEC) != 0 || pipe2(out, O_CLOEXEC) != 0 || pipe2(err, O_CLOEXEC) != 0) {
        return run;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_adddup2(&actions, err[1], STDERR_FILENO);
    std::vector<std::string> all{path};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (auto& a : all)
        argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    const int spawned = posix_spawn(&pid, path.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    close(in[0]);
    close(out[1]);
    close(err[1]);
    if (spawned != 0) {
        close(in[1]);
        close(out[0]);
        close(err[0]);
        return run;
    }
    signal(SIGPIPE, SIG_IGN);
    std::size_t written = 0;
    int inFd = in[1];
    if (input.empty()) {
        close(inFd);
        inFd = -1;
    }
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(limitSeconds);
    bool outOpen = true, errOpen = true;
    while ((outOpen || errOpen) && std::chrono::steady_clock::now() < deadline) {
        pollfd fds[3] = {{outOpen ? out[0] : -1, POLLIN, 0},
                         {errOpen ? err[0] : -1, POLLIN, 0},
                         {inFd, POLLOUT, 0}};
        if (poll(fds, 3, 100) <= 0)
            continue;
        char buffer[65536];
        for (int k = 0; k < 2; ++k) {
            if (!(fds[k].revents & (POLLIN | POLLHUP)))
                continue;
            const ssize_t n = read(fds[k].fd, buffer, sizeof buffer);
            if (n > 0) {
                (k == 0 ? run.out : run.err).append(buffer, static_cast<std::size_t>(n));
            } else {
                (k == 0 ? outOpen : errOpen) = false;
            }
        }
        if (inFd >= 0 && (fds[2].revents & (POLLOUT | POLLERR))) {
            const ssize_t n = write(inFd, input.data() + written, input.size() - written);
            if (n > 0)
                written += static_cast<std::size_t>(n);
            if (n <= 0 || written == input.size()) {
                close(inFd);
                inFd = -1;
            }
        }
    }
    if (inFd >= 0)
        close(inFd);
    close(out[0]);
    close(err[0]);
    if (outOpen || errOpen)
        kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    run.status = WIFEXITED(status) && !(outOpen || errOpen) ? WEXITSTATUS(status) : -1;
    return run;
}

}  // namespace testing_support
