#pragma once

// The "Java Exception" dialog as the window process builds it: its controls (dialog units,
// the same geometry as the Windows dialog) and the request that carries its texts.

#include "ui/anchored_layout.h"
#include "ui/message_table.h"
#include "ui/window_request.h"

#include <string>

namespace ExceptionControl {
constexpr int32_t ignore = 1;
constexpr int32_t stop = 2;
constexpr int32_t icon = 204;
constexpr int32_t trace = 208;
constexpr int32_t frame = 209;
constexpr int32_t heading = 210;
constexpr int32_t instructions = 211;
constexpr int32_t warning = 212;
} // namespace ExceptionControl

// Client area and controls of the dialog, in dialog units; controls in drawing order (the
// frame first, so that everything else lies on top of it), ending with id -1.
constexpr PixelRect javaExceptionClientUnits{0, 0, 275, 242};
extern const PlacedControl javaExceptionControlUnits[];

// The request of kind "exception": the dialog's texts in the given language (fields caption,
// group, heading, instructions, warning, ignore, stop) and the report (field "report"), cut
// at a whole character where it is longer than a request can carry.
WindowMessage exceptionWindowRequest(const MessageLanguage& language,
                                     const std::string& reportText);

// The layout of the dialog opening with that client area and those controls (in pixels), with
// the dialog's anchor table.
AnchoredLayout javaExceptionLayout(const PixelRect& client,
                                   const std::vector<PlacedControl>& controls);
