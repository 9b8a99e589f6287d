#pragma once
// Standard output may be a pipe that another program on it made
// non-blocking: a write then fails with platform::kErrorTryAgain whenever the
// pipe is full, and the sink waits for room instead of failing.

namespace brisol {

// Blocks until fd can take more bytes; false where a failed write is final
// (Windows, where that error number means the pipe is closing).
bool wait_writable(int fd);

}  // namespace brisol
