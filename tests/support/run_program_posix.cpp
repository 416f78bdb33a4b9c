// The POSIX way of running a program: fork, exec, and pipes for its output.

#include "support/run_program.hpp"

#include <array>
#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace morvane::testing {
namespace {

// The child's standard streams are pipes: a file there would fall under the
// size limit too.
[[noreturn]] void exec_child(const std::string& program, const std::vector<std::string>& args,
                             const run_options& options, int out_fd, int err_fd) {
    const int null_fd = ::open("/dev/null", O_RDONLY);
    if (null_fd < 0 || ::dup2(null_fd, 0) < 0 || ::dup2(out_fd, 1) < 0 || ::dup2(err_fd, 2) < 0)
        ::_exit(127);
    if (options.max_file_bytes) {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{*options.max_file_bytes, *options.max_file_bytes};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) ::_exit(127);
    }
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// Reads both pipes to their ends, whichever has data, so neither can fill up.
void drain(int out_fd, int err_fd, run_result& r) {
    std::array<pollfd, 2> fds{pollfd{out_fd, POLLIN, 0}, pollfd{err_fd, POLLIN, 0}};
    std::array<std::string*, 2> into{&r.out, &r.err};
    while (fds[0].fd >= 0 || fds[1].fd >= 0) {
        if (::poll(fds.data(), fds.size(), -1) < 0) throw std::runtime_error("poll failed");
        for (std::size_t i = 0; i < fds.size(); ++i) {
            char buffer[4096];
            const ssize_t n = fds[i].revents != 0 ? ::read(fds[i].fd, buffer, sizeof buffer) : -2;
            if (n > 0) into[i]->append(buffer, static_cast<std::size_t>(n));
            if (n == 0 || n == -1) { // the end, or an error: poll skips negative descriptors
                ::close(fds[i].fd);
                fds[i].fd = -1;
            }
        }
    }
}

} // namespace

run_result run_program(const std::string& program, const std::vector<std::string>& args,
                       const run_options& options) {
    int out_pipe[2];
    int err_pipe[2];
    if (::pipe(out_pipe) != 0 || ::pipe(err_pipe) != 0) throw std::runtime_error("pipe failed");
    const pid_t child = ::fork();
    if (child < 0) throw std::runtime_error("fork failed");
    if (child == 0) {
        ::close(out_pipe[0]);
        ::close(err_pipe[0]);
        exec_child(program, args, options, out_pipe[1], err_pipe[1]);
    }
    ::close(out_pipe[1]);
    ::close(err_pipe[1]);
    run_result r;
    drain(out_pipe[0], err_pipe[0], r);
    int raw = 0;
    if (::waitpid(child, &raw, 0) != child) throw std::runtime_error("waitpid failed");
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    return r;
}

} // namespace morvane::testing
