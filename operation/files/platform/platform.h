#pragma once
// What the runner must know of the platform's file calls: the error numbers
// it acts on (errno values on POSIX, Win32 error codes on Windows, each
// carried in an int), the system's text for them, and the characters that
// end a file name in a path.

#include <string>
#include <string_view>

#ifdef _WIN32
#include <winerror.h>
#else
#include <cerrno>
#endif

namespace brisol::platform {

#ifdef _WIN32
// Win32 file calls are never interrupted halfway.
inline constexpr int kErrorInterrupted = -1;
inline constexpr int kErrorExists = ERROR_FILE_EXISTS;
inline constexpr int kErrorNotFound = ERROR_FILE_NOT_FOUND;
// Windows says "Access is denied" for a directory opened as a file, which
// hides the cause: this code of Brisol's own (bit 29 marks codes that no
// system call returns) reads "Is a directory" instead.
inline constexpr int kErrorIsDirectory = 0x20000000 | ERROR_DIRECTORY;
inline constexpr int kErrorNoSpace = ERROR_DISK_FULL;
inline constexpr int kErrorNotSupported = ERROR_NOT_SUPPORTED;
// A pipe in no-wait mode with nothing to read yet.
inline constexpr int kErrorTryAgain = ERROR_NO_DATA;
inline constexpr int kErrorCancelled = ERROR_OPERATION_ABORTED;
// Every instance of a named pipe is taken: a reader may come.
inline constexpr int kErrorNoReader = ERROR_PIPE_BUSY;
// A colon names a stream of the file before it.
inline constexpr std::string_view kNameEnds = "\\/:";
inline constexpr std::string_view kDirectoryEnds = "\\/";
#else
inline constexpr int kErrorInterrupted = EINTR;
inline constexpr int kErrorExists = EEXIST;
inline constexpr int kErrorNotFound = ENOENT;
inline constexpr int kErrorIsDirectory = EISDIR;
inline constexpr int kErrorNoSpace = ENOSPC;
inline constexpr int kErrorNotSupported = EOPNOTSUPP;
inline constexpr int kErrorTryAgain = EAGAIN;
inline constexpr int kErrorCancelled = ECANCELED;
// A FIFO opened for writing without waiting, which nobody reads yet.
inline constexpr int kErrorNoReader = ENXIO;
inline constexpr std::string_view kNameEnds = "/";
inline constexpr std::string_view kDirectoryEnds = "/";
#endif

// The system's text for an error number (strerror on POSIX, FormatMessage on
// Windows), in English whatever the user's language is where the system has
// it, so messages do not switch language halfway through a sentence.
std::string reason(int error);

}  // namespace brisol::platform
