#pragma once
// Texts the windows show from code. The forms (main_window.ui, about_box.ui)
// hold the texts of their own controls.

namespace brisol::texts {

inline constexpr auto kMessageCaption = "Brisol";
inline constexpr auto kFileOpenError = "Fileopen error";
inline constexpr auto kOperationCompleted = "Operation completed... OK";
inline constexpr auto kStatusFilePrefix = "File: ";
inline constexpr auto kStatusBarName = "Status";
// Shown in the status bar's middle part while an operation runs; %1 is 0..100.
inline constexpr auto kProgressPercent = "%1%";

// Open-file dialog filters, in the order the dialog lists them.
inline constexpr auto kFilterEncrypted = "Brisol encrypted files (*.bsl)";
inline constexpr auto kFilterText = "Text (*.txt *.htm *.html *.pas *.shtml *.asm)";
inline constexpr auto kFilterAll = "All files (*.*) (*)";
inline constexpr auto kDefaultSuffix = "txt";

}  // namespace brisol::texts
