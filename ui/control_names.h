#pragma once
// The shared ids and places (window/controls.h) as the Qt face uses them: an
// addressed control's object name is made from its id ("control_101"), so
// tests and accessibility tools find a control by its id.

#include <QString>

#include "controls.h"

namespace brisol {

inline QString control_name(int id) { return QStringLiteral("control_%1").arg(id); }

}  // namespace brisol
