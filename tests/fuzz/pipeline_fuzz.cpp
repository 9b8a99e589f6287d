// Any data under any two passwords, read in any read size, must come back
// exactly after Crypt then Decrypt, with the output as long as the input.
//
// Input layout: [len1][password-1][len2][password-2][read size][data...]

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "../cipher/memory_stream.h"
#include "chunk_pipeline.h"
#include "fuzz_reader.h"

namespace {

using brisol::fuzzing::Reader;

std::vector<std::uint8_t> run(brisol::Direction direction, std::string_view pw1,
                              std::string_view pw2, const std::vector<std::uint8_t>& in,
                              std::size_t read_size) {
    brisol::GostLayer gost(brisol::make_password_key(pw1));
    brisol::Rc4Layer rc4(brisol::make_password_key(pw2));
    brisol::ChunkBuffer buffer(3);
    brisol::MemorySource source(in, read_size);
    brisol::MemorySink sink;
    const auto result = brisol::ChunkPipeline{gost, rc4}.run(direction, source, sink, buffer);
    if (result.outcome != brisol::PipelineOutcome::Completed || result.bytes_done != in.size())
        std::abort();
    return sink.data;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    Reader reader{data, size};
    const std::string_view pw1 = reader.take(reader.byte() % 40);
    const std::string_view pw2 = reader.take(reader.byte() % 40);
    const std::size_t read_size = 1 + reader.byte() * 7u;
    const std::vector<std::uint8_t> plain(reader.data, reader.data + reader.size);

    const auto encrypted = run(brisol::Direction::Crypt, pw1, pw2, plain, read_size);
    if (encrypted.size() != plain.size()) std::abort();
    if (run(brisol::Direction::Decrypt, pw1, pw2, encrypted, SIZE_MAX) != plain) std::abort();
    return 0;
}
