#include "hidden_name.h"

#include <algorithm>
#include <random>

namespace brisol {
namespace {

constexpr std::string_view kTempPrefix = ".brisol-";
constexpr std::string_view kTempSuffix = ".tmp";
constexpr std::string_view kTagAlphabet =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
constexpr std::size_t kTagLength = 8;

std::string random_tag() {
    std::random_device device;
    std::uniform_int_distribution<std::size_t> pick(0, kTagAlphabet.size() - 1);
    std::string tag(kTagLength, ' ');
    for (char& c : tag) c = kTagAlphabet[pick(device)];
    return tag;
}

}  // namespace

std::string hidden_output_name() {
    return std::string{kTempPrefix} + random_tag() + std::string{kTempSuffix};
}

bool is_hidden_output_name(std::string_view name) {
    if (name.size() != kTempPrefix.size() + kTagLength + kTempSuffix.size()) return false;
    if (!name.starts_with(kTempPrefix) || !name.ends_with(kTempSuffix)) return false;
    const std::string_view tag = name.substr(kTempPrefix.size(), kTagLength);
    return std::all_of(tag.begin(), tag.end(),
                       [](char c) { return kTagAlphabet.find(c) != std::string_view::npos; });
}

}  // namespace brisol
