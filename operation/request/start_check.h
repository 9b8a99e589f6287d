#pragma once
// What refuses a request before any file is touched, the same wherever it
// runs: no file chosen, an extension that would leave the input's folder, a
// zero byte in a name, a password the code page cannot key. The desktop's
// runner goes on to open the files; the page has no more to check.

#include <string>
#include <string_view>

#include "password_key.h"
#include "operation_request.h"

namespace brisol {

// The output's name (empty for standard output), or why the request cannot
// name one.
struct NamedOutput {
    std::string refusal;  // for the user; empty when output_path is the name
    std::string output_path;
};
NamedOutput name_output(const StartRequest& request);

struct StartCheck {
    std::string refusal;      // for the user; empty when the request may start
    std::string output_path;  // the output's name; empty for standard output
    PasswordKey key1;         // PASSWORD-1's block, for the GOST layer
    PasswordKey key2;         // PASSWORD-2's block, for the RC4 layer
};

// Every refusal, the output's name and the key blocks. `codepage` is the one passwords are keyed in (an iconv name such as "CP1251").
StartCheck check_start(const StartRequest& request, const std::string& codepage);

}  // namespace brisol
