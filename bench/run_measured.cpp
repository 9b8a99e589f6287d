// Runs a command with its standard input from a file and reports the wall
// time, the CPU time and the peak resident size the kernel accounted to it
// (wait4).
// Usage: brisol-measure STDIN_FILE COMMAND [ARG...]
// Prints "<wall seconds> <user+system seconds> <peak resident KiB>" on stdout;
// the exit status is the command's.

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s STDIN_FILE COMMAND [ARG...]\n", argv[0]);
        return 2;
    }
    const auto started = std::chrono::steady_clock::now();
    const pid_t child = ::fork();
    if (child < 0) {
        std::perror("fork");
        return 1;
    }
    if (child == 0) {
        const int in = ::open(argv[1], O_RDONLY);
        if (in < 0 || ::dup2(in, STDIN_FILENO) < 0) _exit(127);
        ::close(in);
        ::execvp(argv[2], argv + 2);
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (::wait4(child, &status, 0, &usage) < 0) {
        std::perror("wait4");
        return 1;
    }
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    std::printf("%.4f %.4f %ld\n", wall, seconds(usage.ru_utime) + seconds(usage.ru_stime),
                usage.ru_maxrss);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 1;
}
