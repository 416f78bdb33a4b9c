// The POSIX way of running a program: fork, exec, and pipes for its output.

#include "support/run_program.hpp"

#include <csignal>
#include <fcntl.h>
#include <stdexcept>
#include <sys/resource.h>
#include <sys/wait.h>
#include <thread>
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
    const rlimit space{options.max_address_bytes.value_or(RLIM_INFINITY),
                       options.max_address_bytes.value_or(RLIM_INFINITY)};
    if (options.max_address_bytes && ::setrlimit(RLIMIT_AS, &space) != 0) ::_exit(127);
    std::vector<char*> argv{const_cast<char*>(program.c_str())};
    for (const std::string& a : args) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    ::execv(program.c_str(), argv.data());
    ::_exit(127);
}

// Reads a pipe to its end.
std::string read_all(int fd) {
    std::string bytes;
    char buffer[4096];
    for (ssize_t n; (n = ::read(fd, buffer, sizeof buffer)) > 0;)
        bytes.append(buffer, static_cast<std::size_t>(n));
    ::close(fd);
    return bytes;
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
    // Both pipes at once, so that neither can fill up.
    std::thread errors([&r, fd = err_pipe[0]] { r.err = read_all(fd); });
    if (options.while_running) options.while_running(child);
    r.out = read_all(out_pipe[0]);
    errors.join();
    int raw = 0;
    if (::waitpid(child, &raw, 0) != child) throw std::runtime_error("waitpid failed");
    r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    r.signal = WIFSIGNALED(raw) ? WTERMSIG(raw) : 0;
    return r;
}

} // namespace morvane::testing
