#pragma once
// The pictures compiled into the program: the logo and the application icon.

#include <QIcon>

namespace brisol {

// Makes the compiled-in pictures available; safe to call more than once.
void load_resources();

// The icon in every size drawn for it.
QIcon application_icon();

}  // namespace brisol
