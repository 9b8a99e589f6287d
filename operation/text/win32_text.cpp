#include "win32_text.h"

#include <windows.h>

namespace brisol::win32 {
namespace {

constexpr std::wstring_view kVerbatimPrefix = L"\\\\?\\";
constexpr std::wstring_view kDevicePrefix = L"\\\\.\\";
constexpr std::wstring_view kUncPrefix = L"\\\\";
constexpr std::wstring_view kVerbatimUncPrefix = L"\\\\?\\UNC\\";

}  // namespace

std::wstring widen(std::string_view utf8) {
    if (utf8.empty()) return {};
    const int size = static_cast<int>(utf8.size());
    const int chars = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(chars), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, wide.data(), chars);
    return wide;
}

std::string narrow(std::wstring_view utf16) {
    if (utf16.empty()) return {};
    const int size = static_cast<int>(utf16.size());
    const int bytes =
        WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, nullptr, 0, nullptr, nullptr);
    std::string text(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(CP_UTF8, 0, utf16.data(), size, text.data(), bytes, nullptr, nullptr);
    return text;
}

std::wstring file_path(std::string_view utf8) {
    const std::wstring wide = widen(utf8);
    if (wide.empty() || wide.starts_with(kVerbatimPrefix)) return wide;
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) return wide;
    std::wstring full(needed, L'\0');
    full.resize(GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr));
    if (full.starts_with(kDevicePrefix)) return full;
    if (full.starts_with(kUncPrefix))
        return std::wstring{kVerbatimUncPrefix} + full.substr(kUncPrefix.size());
    return std::wstring{kVerbatimPrefix} + full;
}

}  // namespace brisol::win32
