#include "writable_wait.h"

namespace brisol {

bool wait_writable(int) { return false; }

}  // namespace brisol
