#include "anchors.h"

namespace brisol::bench {

std::string_view gost_library_name(GostLibrary library) {
    switch (library) {
        case GostLibrary::Libgcrypt: return "libgcrypt";
        case GostLibrary::Cryptopp: return "cryptopp";
        case GostLibrary::Botan: return "botan";
    }
    return {};
}

std::unique_ptr<GostCfb> make_gost_cfb(GostLibrary library, GostDirection direction,
                                       const std::uint8_t* key32) {
    switch (library) {
        case GostLibrary::Libgcrypt: return make_gcrypt_gost_cfb(direction, key32);
        case GostLibrary::Cryptopp: return make_cryptopp_gost_cfb(direction, key32);
        case GostLibrary::Botan: return make_botan_gost_cfb(direction, key32);
    }
    return nullptr;
}

}  // namespace brisol::bench
