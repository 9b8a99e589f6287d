#include <locale.h>

#include <cstring>

#include "platform.h"

namespace brisol::platform {

std::string reason(int error) {
    static const locale_t c_locale = newlocale(LC_ALL_MASK, "C", locale_t{});
    if (c_locale == locale_t{}) return "error " + std::to_string(error);
    return strerror_l(error, c_locale);
}

}  // namespace brisol::platform
