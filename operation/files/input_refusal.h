#pragma once
// What can be an operation's input, for the file being done and for the file
// --after reads its register from alike. A directory cannot be read; a device
// or FIFO could block for ever or never end, so only a regular file is taken,
// except from standard input, which is read as a stream whatever it is.

#include <string>

#include "file_system.h"
#include "platform.h"
#include "messages.h"

namespace brisol {

// The reason the file cannot be read as an input, or empty when it can.
inline std::string input_refusal(const FileInfo& info, bool as_stream = false) {
    if (info.error != 0) return platform::reason(info.error);
    if (info.kind == FileKind::Directory) return platform::reason(platform::kErrorIsDirectory);
    if (!as_stream && info.kind != FileKind::Regular) return std::string{messages::kNotRegularFile};
    return {};
}

}  // namespace brisol
