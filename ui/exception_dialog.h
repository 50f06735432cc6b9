#pragma once

// The "Java Exception" dialog: shows the report text of an uncaught throwable in a read-only
// box and asks whether to go on (Ignore, Enter) or to stop the application (Stop, Escape,
// the close box). Modal on the calling thread (the main thread); Java threads keep running.

#include <string>

enum class ExceptionChoice { ignore, stop };

// Runs the dialog in the chosen language and returns the user's answer. A dialog that
// cannot be shown counts as stop; where no window can be shown at all, the report goes to
// standard error instead.
ExceptionChoice runExceptionDialog(const std::string& reportText);
