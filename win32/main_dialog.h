#pragma once
// The Win32 face of the main window: dialog template 37 bound to the shared
// rules (window/). The worker's CompletionSink calls are queued and posted to
// the dialog, so they run on the window's thread in the order they were made
// and the controls lock before the completion message appears. The status
// bar (status_bar.h) and the logo (logo.h) follow the window's DPI.

#include <windows.h>

#include <optional>
#include <string>

#include "operations.h"

namespace brisol::win32 {

// Shows the main window modally, with no owner, until it is closed; a
// running operation is stopped then. startup_path (UTF-8) is the current
// path the window opens with.
void run_main_dialog(HINSTANCE instance, Operations& operations,
                     const std::optional<std::string>& startup_path);

}  // namespace brisol::win32
