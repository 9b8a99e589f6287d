#include "operation_runner.h"

#include <list>
#include <mutex>
#include <system_error>
#include <thread>

#include "chunk_pipeline.h"
#include "layer_stages.h"
#include "output_file_system.h"
#include "platform.h"
#include "input_refusal.h"
#include "messages.h"
#include "start_check.h"
#include "output_target.h"
#include "run_output.h"
#include "progress_throttle.h"
#include "file_streams.h"
#include "read_ahead.h"
#include "sampling_sink.h"
#include "write_behind.h"
#include "codepage.h"

namespace brisol {
namespace {

// Everything one operation uses. It is destroyed as soon as the operation
// ends, which wipes the round keys, the RC4 permutation and the buffer.
struct Operation {
    Operation(OutputFileSystem& file_system, const StartRequest& request, std::string output_name,
              std::vector<KeptFile> read_files, const PasswordKey& key1, const PasswordKey& key2)
        : files(file_system),
          direction(request.direction),
          input_path(request.input_path),
          input_is_stdin(request.input_is_stdin),
          reads(std::move(read_files)),
          output(file_system, std::move(output_name)),
          gost(key1),
          rc4(key2) {}
    ~Operation() { close_input(); }
    Operation(const Operation&) = delete;
    Operation& operator=(const Operation&) = delete;

    void close_input() {
        if (input_fd >= 0 && !input_is_stdin) files.close(input_fd);
        input_fd = -1;
    }

    std::string input_error(std::string_view verb, std::string_view why) const {
        return input_is_stdin ? messages::stream_error(verb, messages::kStandardInput, why)
                              : messages::file_error(verb, input_path, why);
    }
    std::string input_name() const {
        return input_is_stdin ? std::string{messages::kStandardInput} : input_path;
    }

    OutputFileSystem& files;
    Direction direction;
    std::string input_path;
    bool input_is_stdin;
    // The input first, once it is open, then what else the run reads.
    std::vector<KeptFile> reads;
    int input_fd = -1;
    // A stream's size is unknown: progress then reports 0 as the total.
    std::uint64_t input_size = 0;
    RunOutput output;  // after `reads`, which it looks at to its end
    GostLayer gost;
    Rc4Layer rc4;
    ChunkBuffer buffer;
};

struct Worker {
    std::thread thread;
    std::atomic<bool> returned{false};
};

// The input's kind and size; the message says why it cannot be read.
std::string examine_input(Operation& op, FileSystem& files, FileInfo& input_info) {
    input_info = files.stat_fd(op.input_fd);
    if (const std::string why = input_refusal(input_info, op.input_is_stdin); !why.empty())
        return op.input_error(messages::kCannotOpen, why);
    if (!op.input_is_stdin) op.input_size = input_info.size;
    return {};
}

// Opens the input and its temporary output; the message says why not.
std::string open_files(Operation& op, const StartRequest& request, OutputFileSystem& files) {
    if (op.input_is_stdin) {
        op.input_fd = files.standard_input();
    } else {
        const FdResult input = files.open_read(op.input_path);
        if (input.error != 0)
            return messages::file_error(messages::kCannotOpen, op.input_path, input.error);
        op.input_fd = input.fd;
    }
    FileInfo input_info;
    if (std::string refusal = examine_input(op, files, input_info); !refusal.empty())
        return refusal;
    op.reads.insert(op.reads.begin(), KeptFile{op.input_name(), input_info});

    // Appending the result to the file being read would never reach its end.
    if (request.output_is_stdout) {
        op.output.write_standard_output();
        const FileInfo out = files.stat_fd(op.output.fd());
        if (out.error == 0 && out.kind == FileKind::Regular && out.same_file_as(input_info))
            return messages::same_file(messages::kStandardOutput, op.input_name());
        return {};
    }

    // A link, or a file system that drops a trailing dot, can make the output
    // name another name of a file the run reads; replacing it would destroy it.
    const std::string& output_path = op.output.path();
    if (const KeptFile* read = find_kept_file(op.reads, files.stat_path(output_path)))
        return messages::same_file(output_path, read->shown);
    OutputTarget target = examine_output(files, output_path);
    if (!target.refusal.empty()) return std::move(target.refusal);
    switch (target.way) {
        case OutputWay::Descriptor:
            // Written where it is, so it must not be a file the run reads.
            if (const KeptFile* read = find_kept_file(op.reads, target.existing);
                read != nullptr && target.existing.kind == FileKind::Regular)
                return messages::same_file(output_path, read->shown);
            op.output.write_descriptor(target.descriptor);
            return {};
        case OutputWay::Device: op.output.write_device(target.existing); return {};
        case OutputWay::NewFile:
        case OutputWay::ReplaceFile: break;
    }
    const CommitStatus created =
        op.output.create_file(op.input_is_stdin ? -1 : op.input_fd, op.reads);
    if (created.read_file != nullptr)
        return messages::same_file(output_path, created.read_file->shown);
    if (created.error != 0)
        return messages::file_error(messages::kCannotCreate, output_path, created.error);
    return {};
}

// The pipeline with the input read ahead and the output written behind on
// threads of their own, and the first stage (layer_stages.h) done where the
// input is read, for files and standard input alike; every read and write
// has ended when it returns. A stream can keep a read waiting for ever, so
// its reading thread waits in slices that end once the pipeline is done.
PipelineResult run_overlapped(Operation& op, const PipelineControl& control, ByteSink& output,
                              const std::atomic<bool>& cancel) {
    FileSource file_source(op.files, op.input_fd);
    StreamSource stream_source(op.files, op.input_fd, cancel);
    LayerStage first_stage(op.direction, Stage::First);
    bool misaligned = false;  // written on the reading thread, read once it is joined
    WriteBehindSink destination(output, op.buffer.capacity());
    ChunkPipeline pipeline{op.gost, op.rc4};
    pipeline.first_stage_done = true;
    PipelineResult piped;
    {
        ReadAheadSource read_ahead(
            op.input_is_stdin ? static_cast<ByteSource&>(stream_source) : file_source,
            op.buffer.capacity(), [&](std::span<std::uint8_t> data) {
                if (!first_stage.apply(op.gost, op.rc4, data)) misaligned = true;
            });
        piped = pipeline.run(op.direction, read_ahead, destination, op.buffer, control);
        stream_source.stop();
    }
    if (misaligned) piped.outcome = PipelineOutcome::Misaligned;
    if (const int error = destination.finish();
        error != 0 && piped.outcome != PipelineOutcome::SinkFailed) {
        piped.outcome = PipelineOutcome::SinkFailed;
        piped.error = error;
    }
    return piped;
}

OperationResult run_operation(Operation& op, CompletionSink& sink,
                              const std::atomic<bool>& cancel) {
    OperationResult result;
    result.output_path = op.output.name();
    if (std::string failure = op.output.open(cancel); !failure.empty()) {
        result.outcome = cancel.load() ? OperationOutcome::Cancelled : OperationOutcome::Failed;
        result.message = std::move(failure);
        return result;
    }
    ProgressThrottle throttle(ProgressThrottle::Clock::now());
    const std::uint64_t total = op.input_size;
    PipelineControl control;
    control.cancel = &cancel;
    control.progress = [&](std::uint64_t done) {
        if (throttle.due(ProgressThrottle::Clock::now())) sink.report_progress(done, total);
    };
    FileSink file_sink(op.files, op.output.fd());
    const bool look_at_result = op.direction == Direction::Decrypt;
    SamplingSink written(file_sink, look_at_result ? kContentSampleBytes : 0);
    PipelineResult piped = run_overlapped(op, control, written, cancel);
    op.close_input();
    // A stream can end, or give up waiting, because whoever cancelled also
    // stopped its writer: that is no complete input.
    if (cancel.load()) piped.outcome = PipelineOutcome::Cancelled;

    result.bytes_done = piped.bytes_done;
    switch (piped.outcome) {
        case PipelineOutcome::Completed:
            if (!op.input_is_stdin && piped.bytes_done != total) {
                result.outcome = OperationOutcome::Failed;
                result.message = op.input_error(messages::kCannotRead, messages::kInputChanged);
            } else if (std::string failure = op.output.commit(); !failure.empty()) {
                result.outcome = OperationOutcome::Failed;
                result.message = std::move(failure);
            }
            break;
        case PipelineOutcome::SourceFailed:
            result.outcome = OperationOutcome::Failed;
            result.message = op.input_error(messages::kCannotRead, platform::reason(piped.error));
            break;
        case PipelineOutcome::SinkFailed:
            result.outcome = OperationOutcome::Failed;
            result.message = op.output.error(messages::kCannotWrite, platform::reason(piped.error));
            break;
        case PipelineOutcome::Misaligned:
            result.outcome = OperationOutcome::Failed;
            result.message = op.input_error(messages::kCannotRead, messages::kMisaligned);
            break;
        case PipelineOutcome::Cancelled:
            result.outcome = OperationOutcome::Cancelled;
            result.message = op.output.cancelled();
            break;
    }
    op.output.discard();
    if (result.outcome == OperationOutcome::Succeeded) {
        if (look_at_result) result.content = check_content(written.head(), piped.bytes_done);
        sink.report_progress(piped.bytes_done, total);
    }
    return result;
}

}  // namespace

std::string output_refusal(const StartRequest& request, FileSystem& files) {
    const NamedOutput check = name_output(request);
    // start() gives the refusals of a request that names no output itself.
    if (!check.refusal.empty() || request.output_is_stdout) return {};
    return examine_output(files, check.output_path).refusal;
}

struct OperationRunner::Impl {
    explicit Impl(OutputFileSystem& files) : files(files) {}

    // Joins the workers that have already returned from their sink; their
    // threads end at once.
    void join_returned() {
        for (auto it = workers.begin(); it != workers.end();) {
            if (it->returned.load()) {
                it->thread.join();
                it = workers.erase(it);
            } else {
                ++it;
            }
        }
    }

    OutputFileSystem& files;
    std::mutex mutex;
    std::string codepage;
    std::list<Worker> workers;
    std::shared_ptr<std::atomic<bool>> cancel_current;
    std::atomic<bool> busy{false};
};

OperationRunner::OperationRunner() : OperationRunner(system_file_system()) {}

OperationRunner::OperationRunner(OutputFileSystem& files) : impl_(std::make_unique<Impl>(files)) {}

OperationRunner::~OperationRunner() {
    cancel();
    wait();
}

void OperationRunner::set_codepage(std::string codepage) {
    const std::lock_guard lock(impl_->mutex);
    impl_->codepage = std::move(codepage);
}

StartResult OperationRunner::start(Direction direction, const std::string& current_path,
                                   std::string_view password1, std::string_view password2,
                                   std::string_view extension, CompletionSink& sink) {
    return start(
        StartRequest::beside_input(direction, current_path, password1, password2, extension), sink);
}

StartResult OperationRunner::start(const StartRequest& request, CompletionSink& sink,
                                   std::vector<KeptFile> read_files) {
    const std::lock_guard lock(impl_->mutex);
    if (impl_->busy.load()) return {false, std::string{messages::kBusy}};
    impl_->join_returned();

    const std::string codepage =
        impl_->codepage.empty() ? std::string{locale_codepage()} : impl_->codepage;
    StartCheck check = check_start(request, codepage);
    if (!check.refusal.empty()) return {false, std::move(check.refusal)};

    auto op = std::make_unique<Operation>(impl_->files, request, std::move(check.output_path),
                                          std::move(read_files), check.key1, check.key2);
    if (std::string refusal = open_files(*op, request, impl_->files); !refusal.empty())
        return {false, std::move(refusal)};
    op->gost.reg = request.start_register;

    auto cancel = std::make_shared<std::atomic<bool>>(false);
    Worker& worker = impl_->workers.emplace_back();
    impl_->busy.store(true);
    try {
        worker.thread = std::thread(
            [op = std::move(op), cancel, &worker, &sink, &busy = impl_->busy]() mutable {
                const OperationResult result = run_operation(*op, sink, *cancel);
                op.reset();
                busy.store(false);
                sink.show_completion(result);
                worker.returned.store(true);
            });
    } catch (const std::system_error& error) {
        // The lambda that owned the operation is gone with it: its temporary
        // output has been removed and its input closed.
        impl_->busy.store(false);
        impl_->workers.pop_back();
        return {false, std::string{messages::kCannotStartWorker} + ": " + error.code().message()};
    }
    impl_->cancel_current = std::move(cancel);
    return {true, {}};
}

void OperationRunner::cancel() {
    const std::lock_guard lock(impl_->mutex);
    if (impl_->cancel_current) impl_->cancel_current->store(true);
}

bool OperationRunner::busy() const { return impl_->busy.load(); }

void OperationRunner::wait() {
    std::list<Worker> joining;
    {
        const std::lock_guard lock(impl_->mutex);
        joining.splice(joining.end(), impl_->workers);
    }
    for (Worker& worker : joining) worker.thread.join();
}

}  // namespace brisol
