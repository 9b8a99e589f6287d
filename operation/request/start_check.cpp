#include "start_check.h"

#include "messages.h"
#include "output_name.h"
#include "codepage.h"

namespace brisol {

NamedOutput name_output(const StartRequest& request) {
    NamedOutput check;
    if (!request.output_is_stdout && request.output_path.empty()) {
        NameBeside beside = name_beside(request.direction, request.input_path, request.extension);
        check.refusal = beside.refusal;
        check.output_path = std::move(beside.name);
        return check;
    }
    if (!request.input_is_stdin && request.input_path.empty()) {
        check.refusal = messages::kNoFileChosen;
    } else if (request.output_path.find('\0') != std::string::npos ||
               request.input_path.find('\0') != std::string::npos) {
        check.refusal = messages::kNameHasZeroByte;
    } else if (!request.output_is_stdout) {
        check.output_path = request.output_path;
    }
    return check;
}

StartCheck check_start(const StartRequest& request, const std::string& codepage) {
    NamedOutput named = name_output(request);
    StartCheck check{std::move(named.refusal), std::move(named.output_path), {}, {}};
    if (!check.refusal.empty()) return check;
    const PasswordKeyResult key1 = password_key_from_text(request.password1, codepage);
    if (key1.error != PasswordTextError::None) {
        check.refusal = messages::password_error(key1.error, 1, codepage);
        return check;
    }
    const PasswordKeyResult key2 = password_key_from_text(request.password2, codepage);
    if (key2.error != PasswordTextError::None) {
        check.refusal = messages::password_error(key2.error, 2, codepage);
        return check;
    }
    check.key1 = key1.key;
    check.key2 = key2.key;
    return check;
}

}  // namespace brisol
