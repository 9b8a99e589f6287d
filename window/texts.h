#pragma once
// Texts the windows show from code; the controls' own texts are in
// dialog_templates.h.

#include <array>

namespace brisol::texts {

inline constexpr auto kMessageCaption = "Brisol";
inline constexpr auto kFileOpenError = "Fileopen error";
inline constexpr auto kOperationCompleted = "Operation completed... OK";
inline constexpr auto kStatusFilePrefix = "File: ";
// Below the warning that a password may be wrong.
inline constexpr auto kTryOtherPasswords =
    "PASSWORD-1 and PASSWORD-2 can still be changed: correct them and press Decrypt again.";

// The open-file dialog's filters in the order it lists them: a name and the
// patterns it stands for, separated by semicolons.
struct FileFilter {
    const char* name;
    const char* patterns;
};

inline constexpr std::array kFileFilters{
    FileFilter{"Brisol encrypted files", "*.bsl"},
    FileFilter{"Text", "*.txt;*.htm;*.html;*.pas;*.shtml;*.asm"},
    FileFilter{"All files (*.*)", "*.*"},
};
// Added to a typed file name that has no extension.
inline constexpr auto kOpenDialogDefaultSuffix = "txt";

}  // namespace brisol::texts
