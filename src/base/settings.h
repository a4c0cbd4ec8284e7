// The settings every layer reads and the one way to stop on an error. They
// live at the ground so that nothing below the shell needs the shell; the
// shell fills them in at start-up and installs what a fatal error does.
// The settings a program reads are public (zorta/base.h).
#pragma once
#include <cstdint>

#include "zorta/base.h"

namespace zorta {

// Installs the action of FatalError; null: only the message on stderr.
void SetFatalErrorAction(void (*action)());

// Back to the state at program start (for tests).
void ResetSettings();

}  // namespace zorta
