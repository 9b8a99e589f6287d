#include "cli/run_files.h"

#include <pthread.h>
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli/cli_texts.h"
#include "cli/progress_line.h"
#include "cli/terminal_sink.h"
#include "operation/operation_runner.h"

namespace brisol::cli {
namespace {

// An interrupt must stop the operations through their runners, so that their
// temporary files are removed, instead of killing the process halfway. The
// signals are blocked before any worker starts (workers inherit the mask) and
// taken synchronously by the main thread.
sigset_t handled_signals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal_number : {SIGINT, SIGTERM, SIGHUP, kCompletionSignal})
        sigaddset(&set, signal_number);
    return set;
}

// One of the files being done at once.
struct Job {
    Job(ProgressLine& line, std::size_t slot) : sink(line, slot, pthread_self()) {}

    OperationRunner runner;
    TerminalSink sink;
    bool running = false;
};

// Hands out the files in order and keeps the exit status.
struct Schedule {
    const CliOptions& options;
    const Passwords& passwords;
    ProgressLine& line;
    std::size_t next = 0;
    bool interrupted = false;
    int status = 0;

    void fail(const std::string& message) {
        line.print(std::string{kMessagePrefix} + message);
        status = 1;
    }

    // Starts the next file that can be started on the job, if any is left.
    void start_next(Job& job) {
        while (!interrupted && next < options.files.size()) {
            const std::string& file = options.files[next++];
            job.sink.begin(file);
            const StartResult started = job.runner.start(options.direction, file, passwords.first,
                                                         passwords.second, options.extension, job.sink);
            if (started.started) {
                job.running = true;
                return;
            }
            fail(started.message);
        }
    }

    // Joins a job whose operation has ended and reports how it went.
    void collect(Job& job) {
        job.runner.wait();
        job.running = false;
        if (job.sink.result().outcome != OperationOutcome::Succeeded) fail(job.sink.result().message);
    }
};

}  // namespace

unsigned jobs_to_run(unsigned requested, std::size_t files, unsigned cores) {
    const unsigned wanted = requested != 0 ? requested : std::max(cores, 1u);
    return static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>({wanted, files, kMaxJobs})));
}

int run_files(const CliOptions& options, const Passwords& passwords) {
    const sigset_t set = handled_signals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);

    const unsigned count =
        jobs_to_run(options.jobs, options.files.size(), std::thread::hardware_concurrency());
    ProgressLine line(::isatty(STDERR_FILENO) != 0, count);
    Schedule schedule{options, passwords, line};
    std::vector<std::unique_ptr<Job>> jobs;
    for (std::size_t slot = 0; slot < count; ++slot) {
        jobs.push_back(std::make_unique<Job>(line, slot));
        jobs.back()->runner.set_codepage(options.codepage);
        schedule.start_next(*jobs.back());
    }
    const auto any_running = [&] {
        return std::any_of(jobs.begin(), jobs.end(), [](const auto& job) { return job->running; });
    };
    // Every wake-up looks at every job: wake-up signals that arrive together
    // are delivered as one.
    while (any_running()) {
        const int signal_number = sigwaitinfo(&set, nullptr);
        if (signal_number > 0 && signal_number != kCompletionSignal && !schedule.interrupted) {
            schedule.interrupted = true;
            for (const auto& job : jobs) job->runner.cancel();
        }
        for (const auto& job : jobs) {
            if (!job->running || !job->sink.finished()) continue;
            schedule.collect(*job);
            schedule.start_next(*job);
        }
    }
    return schedule.status;
}

}  // namespace brisol::cli
