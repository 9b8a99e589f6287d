#include "run_files.h"

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "cli_texts.h"
#include "console.h"
#include "progress_line.h"
#include "standard_descriptors.h"
#include "terminal_sink.h"
#include "output_file_system.h"
#include "messages.h"
#include "operation_runner.h"

namespace brisol::cli {
namespace {

std::string prefixed(std::string_view message) {
    return std::string{kMessagePrefix} + std::string{message};
}

// What the runner is asked to do with one FILE, passwords aside.
StartRequest request_for(const CliOptions& options, const std::string& file) {
    StartRequest request;
    request.direction = options.direction;
    request.input_is_stdin = file == kStandardStream;
    if (!request.input_is_stdin) request.input_path = file;
    request.output_is_stdout = output_is_standard(options, file);
    if (options.output && !request.output_is_stdout) request.output_path = *options.output;
    request.extension = options.extension;
    return request;
}

// Everything the run reads, as regular files: the FILEs, the password source
// and the --after file. No output may replace one, nor any sweep remove it.
std::vector<KeptFile> files_read(const CliOptions& options) {
    FileSystem& files = system_file_system();
    std::vector<KeptFile> reads;
    const auto add = [&](std::string shown, const FileInfo& info) {
        if (info.error == 0 && info.kind == FileKind::Regular)
            reads.push_back({std::move(shown), info});
    };
    for (const std::string& file : options.files)
        if (file != kStandardStream) add(file, files.stat_path(file));
    if (options.password_file) {
        add(*options.password_file, files.stat_path(*options.password_file));
    } else if (options.password_fd) {
        const std::string shown = descriptor_shown(*options.password_fd);
        if (const LineSource passed = passed_source(*options.password_fd); passed.error == 0)
            add(shown, files.stat_fd(passed.descriptor));
    } else if (!reads_standard_input(options)) {
        add(std::string{messages::kStandardInput},
            files.stat_fd(standard_input_source().descriptor));
    }
    if (options.after) add(*options.after, files.stat_path(*options.after));
    return reads;
}

// One of the files being done at once.
struct Job {
    Job(ProgressLine& line, std::size_t slot, std::atomic<bool>& any_ended)
        : sink(line, slot, any_ended) {}

    OperationRunner runner;
    TerminalSink sink;
    bool running = false;
};

// Hands out the files in order and keeps the exit status.
struct Schedule {
    const CliOptions& options;
    const Passwords& passwords;
    const FeedbackRegister& start_register;
    const std::vector<KeptFile>& reads;
    ProgressLine& line;
    bool tell_kind;
    std::size_t next = 0;
    bool interrupted = false;
    int interrupt_status = 0;
    int status = 0;

    void print_message(const std::string& message) { line.print(prefixed(message)); }

    // A likely wrong password is always told; a known kind only to someone
    // watching (a terminal) or asking (--verbose).
    void print_content_note(const OperationResult& result) {
        const ContentHint& hint = result.content;
        if (hint.looks_random || (tell_kind && !hint.kind.empty()))
            print_message(messages::quoted_name(result.output_path) + ": " +
                          messages::content_note(hint));
    }

    // Starts the next file that can be started on the job, if any is left.
    void start_next(Job& job) {
        while (!interrupted && next < options.files.size()) {
            const std::string& file = options.files[next++];
            StartRequest request = request_for(options, file);
            request.password1 = passwords.first;
            request.password2 = passwords.second;
            request.start_register = start_register;
            job.sink.begin(request.input_is_stdin ? std::string{messages::kStandardInput} : file);
            const StartResult started = job.runner.start(request, job.sink, reads);
            if (started.started) {
                job.running = true;
                return;
            }
            print_message(started.message);
            status = 1;
        }
    }

    // Joins a job whose operation has ended and reports how it went.
    void collect(Job& job) {
        job.runner.wait();
        job.running = false;
        if (job.sink.result().outcome != OperationOutcome::Succeeded) {
            print_message(job.sink.result().message);
            status = 1;
        } else {
            print_content_note(job.sink.result());
        }
    }
};

}  // namespace

unsigned jobs_to_run(unsigned requested, std::size_t files, unsigned cores) {
    const unsigned wanted = requested != 0 ? requested : std::max(cores, 1u);
    return static_cast<unsigned>(
        std::max<std::size_t>(1, std::min<std::size_t>({wanted, files, kMaxJobs})));
}

void print_message(std::string_view message) { write_error(prefixed(message) + "\n"); }

bool refuse_unwritable_outputs(const CliOptions& options) {
    bool refused = false;
    for (const std::string& file : options.files) {
        const std::string refusal =
            output_refusal(request_for(options, file), system_file_system());
        if (refusal.empty()) continue;
        print_message(refusal);
        refused = true;
    }
    return refused;
}

int run_files(const CliOptions& options, const Passwords& passwords,
              const FeedbackRegister& start_register) {
    // An interrupt must stop the operations through their runners, so that
    // their temporary files are removed, instead of killing the process halfway.
    prepare_interrupts();

    const unsigned count =
        jobs_to_run(options.jobs, options.files.size(), std::thread::hardware_concurrency());
    const bool on_terminal = error_is_terminal();
    ProgressLine line(on_terminal, count);
    const std::vector<KeptFile> reads = files_read(options);
    Schedule schedule{options, passwords, start_register,
                      reads,   line,      options.verbose || on_terminal};
    std::atomic<bool> any_ended{false};
    std::vector<std::unique_ptr<Job>> jobs;
    for (std::size_t slot = 0; slot < count; ++slot) {
        jobs.push_back(std::make_unique<Job>(line, slot, any_ended));
        jobs.back()->runner.set_codepage(options.codepage);
        schedule.start_next(*jobs.back());
    }
    const auto any_running = [&] {
        return std::any_of(jobs.begin(), jobs.end(), [](const auto& job) { return job->running; });
    };
    const auto cancel_all = [&] {
        schedule.interrupted = true;
        for (const auto& job : jobs) job->runner.cancel();
    };
    while (any_running()) {
        if (const int status = wait_for_end(any_ended, cancel_all); status != 0)
            schedule.interrupt_status = status;
        // Cleared before the look at every job: an operation that ends after
        // it sets the flag again, so no ending is missed.
        any_ended.store(false);
        for (const auto& job : jobs) {
            if (!job->running || !job->sink.finished()) continue;
            schedule.collect(*job);
            schedule.start_next(*job);
        }
    }
    return schedule.interrupt_status != 0 ? schedule.interrupt_status : schedule.status;
}

}  // namespace brisol::cli
