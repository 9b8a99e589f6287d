#include "resources.h"

#include <QString>
#include <array>

// The resources live in a static library, so nothing would pull them into the
// program unless their initialiser is called; it must be named outside any
// namespace.
static void init_brisol_resources() { Q_INIT_RESOURCE(brisol); }

namespace brisol {
namespace {

constexpr std::array kIconSizes{16, 24, 32, 48, 64, 128, 256};

}  // namespace

void load_resources() {
    static const bool loaded = [] {
        init_brisol_resources();
        return true;
    }();
    (void)loaded;
}

QIcon application_icon() {
    load_resources();
    QIcon icon;
    for (const int size : kIconSizes) {
        icon.addFile(QStringLiteral(":/brisol/icon-%1.png").arg(size), QSize(size, size));
    }
    return icon;
}

}  // namespace brisol
