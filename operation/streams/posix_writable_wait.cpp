#include <poll.h>

#include <cerrno>

#include "writable_wait.h"

namespace brisol {

bool wait_writable(int fd) {
    pollfd watched{fd, POLLOUT, 0};
    while (::poll(&watched, 1, -1) < 0)
        if (errno != EINTR) return false;
    return true;
}

}  // namespace brisol
