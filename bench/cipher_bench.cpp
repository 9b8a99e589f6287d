// Speed of each kernel, layer by layer and through the whole pipeline in
// memory, next to GOST-CFB from libgcrypt, Crypto++ and Botan and OpenSSL RC4
// measured in the same run. Prints Google Benchmark's table, then MB/s and the
// ratio to the fastest anchor of each kind.
// On a shared machine, run with repetitions in random interleaving (as
// `make bench` does) so that a busy moment does not land on one side only.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "anchors.h"
#include "chunk_pipeline.h"
#include "kernels.h"
#include "layer_stages.h"
#include "read_ahead.h"
#include "../tests/cipher/memory_stream.h"

namespace brisol::bench {
namespace {

constexpr std::size_t kBufferBytes = ChunkBuffer::kDefaultChunks * kChunkSize;
constexpr std::size_t kPipelineBytes = 16 * kBufferBytes;
constexpr double kMegabyte = 1e6;

std::vector<std::uint8_t> filled(std::size_t n) {
    std::vector<std::uint8_t> out(n);
    std::uint32_t x = 2463534242u;
    for (auto& b : out) {
        x ^= x << 13;
        x ^= x >> 17;
        x ^= x << 5;
        b = static_cast<std::uint8_t>(x);
    }
    return out;
}

struct Keyed {
    GostLayer gost{make_password_key("first benchmark password")};
    Rc4Layer rc4{make_password_key("second benchmark password")};
};

const PasswordKey& anchor_key() {
    static const PasswordKey key = make_password_key("first benchmark password");
    return key;
}

class CountingSink final : public ByteSink {
public:
    IoStatus write(std::span<const std::uint8_t> bytes) override {
        benchmark::DoNotOptimize(bytes.data());
        return {bytes.size(), 0};
    }
};

void gost_layer_run(benchmark::State& state, const CipherKernels* k, bool encrypt) {
    auto keyed = std::make_unique<Keyed>();
    std::vector<std::uint8_t> data = filled(kBufferBytes);
    for (auto _ : state) {
        (encrypt ? k->gost_encrypt : k->gost_decrypt)(keyed->gost, data.data(),
                                                      kBufferBytes / kBlockSize);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferBytes));
}

void rc4_layer_run(benchmark::State& state, const CipherKernels* k) {
    auto keyed = std::make_unique<Keyed>();
    std::vector<std::uint8_t> data = filled(kBufferBytes);
    for (auto _ : state) {
        k->rc4_apply(keyed->rc4, data.data(), kBufferBytes);
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferBytes));
}

// The first stage where the data is read, on a thread of its own, and the
// second in the pipeline, as the runner does them.
void pipeline_run(benchmark::State& state, const CipherKernels* k, Direction direction) {
    auto keyed = std::make_unique<Keyed>();
    const std::vector<std::uint8_t> input = filled(kPipelineBytes);
    ChunkBuffer buffer;
    for (auto _ : state) {
        MemorySource memory(input);
        LayerStage first(direction, Stage::First, *k);
        ReadAheadSource source(memory, buffer.capacity(), [&](std::span<std::uint8_t> data) {
            if (!first.apply(keyed->gost, keyed->rc4, data)) state.SkipWithError("misaligned");
        });
        CountingSink sink;
        ChunkPipeline pipeline{keyed->gost, keyed->rc4, k};
        pipeline.first_stage_done = true;
        pipeline.run(direction, source, sink, buffer);
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kPipelineBytes));
}

void gost_run(benchmark::State& state, GostLibrary library, GostDirection direction) {
    const auto gost = make_gost_cfb(library, direction, anchor_key().begin());
    std::vector<std::uint8_t> data = filled(kBufferBytes);
    for (auto _ : state) {
        if (!gost->run(data.data(), data.size())) state.SkipWithError("the library refused");
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferBytes));
}

void openssl_run(benchmark::State& state) {
    OpensslRc4 rc4(anchor_key().begin());
    std::vector<std::uint8_t> data = filled(kBufferBytes);
    for (auto _ : state) {
        rc4.run(data.data(), data.size());
        benchmark::ClobberMemory();
    }
    state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * kBufferBytes));
}

std::string gost_anchor(GostLibrary library, GostDirection direction) {
    return "anchor/" + std::string(gost_library_name(library)) + "_gost_cfb_" +
           (direction == GostDirection::Encrypt ? "encrypt" : "decrypt");
}

const std::string kOpensslRc4 = "anchor/openssl_rc4";

// A kind of anchor: its fastest member in this run is the one compared with.
struct AnchorKind {
    std::string name;
    std::vector<std::string> members;
};

AnchorKind gost_kind(GostDirection direction) {
    AnchorKind kind{direction == GostDirection::Encrypt ? "GOST-CFB encrypt" : "GOST-CFB decrypt",
                    {}};
    for (const GostLibrary library : kGostLibraries)
        kind.members.push_back(gost_anchor(library, direction));
    return kind;
}

const AnchorKind kRc4Kind{"RC4", {kOpensslRc4}};

// What each of ours is compared with. The goals are judged file to file
// (end_to_end.sh); the pipelines here have each layer on a thread of its own
// as every input does, without the files.
struct Comparison {
    std::string prefix;
    AnchorKind anchor;
};

std::vector<Comparison> comparisons() {
    const AnchorKind encrypt = gost_kind(GostDirection::Encrypt);
    const AnchorKind decrypt = gost_kind(GostDirection::Decrypt);
    return {
        {"gost_encrypt/", encrypt},
        {"gost_decrypt/", decrypt},
        {"rc4/", kRc4Kind},
        {"pipeline_crypt/", encrypt},
        {"pipeline_decrypt/", decrypt},
        {"pipeline_decrypt/", kRc4Kind},
    };
}

void register_all() {
    for (const GostLibrary library : kGostLibraries)
        for (const GostDirection direction : {GostDirection::Encrypt, GostDirection::Decrypt})
            benchmark::RegisterBenchmark(gost_anchor(library, direction).c_str(), gost_run, library,
                                         direction);
    benchmark::RegisterBenchmark(kOpensslRc4.c_str(), openssl_run);
    for (const CipherKernels& k : supported_kernels()) {
        const std::string name(k.name);
        benchmark::RegisterBenchmark(("gost_encrypt/" + name).c_str(), gost_layer_run, &k, true);
        benchmark::RegisterBenchmark(("gost_decrypt/" + name).c_str(), gost_layer_run, &k, false);
        benchmark::RegisterBenchmark(("rc4/" + name).c_str(), rc4_layer_run, &k);
        // Two threads: the rate is of the time that passed, not of one
        // thread's processor time.
        benchmark::RegisterBenchmark(("pipeline_crypt/" + name).c_str(), pipeline_run, &k,
                                     Direction::Crypt)
            ->UseRealTime();
        benchmark::RegisterBenchmark(("pipeline_decrypt/" + name).c_str(), pipeline_run, &k,
                                     Direction::Decrypt)
            ->UseRealTime();
    }
}

// Keeps each benchmark's bytes per second for the ratio table: the median
// when repetitions were asked for, the single run otherwise.
class RateCollector final : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            const auto rate = run.counters.find("bytes_per_second");
            if (rate == run.counters.end() || run.error_occurred) continue;
            const bool single = run.aggregate_name.empty();
            if (single || run.aggregate_name == "median")
                rates[run.run_name.function_name] = rate->second.value / kMegabyte;
        }
    }

    std::map<std::string, double> rates;
};

// The fastest member of the kind that ran, or none.
std::optional<std::pair<std::string, double>> fastest(const AnchorKind& kind,
                                                      const std::map<std::string, double>& rates) {
    std::optional<std::pair<std::string, double>> best;
    for (const std::string& member : kind.members) {
        const auto rate = rates.find(member);
        if (rate != rates.end() && (!best || rate->second > best->second)) best = *rate;
    }
    return best;
}

void print_ratios(const std::map<std::string, double>& rates) {
    std::printf("\n%-34s %9s  %-34s %9s %7s\n", "ours", "MB/s", "fastest anchor", "MB/s", "ratio");
    for (const Comparison& c : comparisons()) {
        const auto anchor = fastest(c.anchor, rates);
        if (!anchor) continue;
        for (const CipherKernels& k : supported_kernels()) {
            const auto ours = rates.find(c.prefix + std::string(k.name));
            if (ours == rates.end()) continue;
            const double ratio = ours->second / anchor->second;
            std::printf("%-34s %9.1f  %-34s %9.1f %6.2fx\n", ours->first.c_str(), ours->second,
                        anchor->first.c_str(), anchor->second, ratio);
        }
    }
    std::printf("selected kernel: %.*s\n", static_cast<int>(selected_kernels().name.size()),
                selected_kernels().name.data());
}

}  // namespace
}  // namespace brisol::bench

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    brisol::bench::register_all();
    brisol::bench::RateCollector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    brisol::bench::print_ratios(collector.rates);
    benchmark::Shutdown();
    return 0;
}
