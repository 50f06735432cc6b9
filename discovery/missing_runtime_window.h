#pragma once

// The missing-runtime dialog as the Linux window process builds it: its controls (dialog
// units, the geometry of dialog 201) and the request and answer that cross the channel.

#include "discovery/missing_runtime.h"
#include "ui/anchored_layout.h"
#include "ui/message_table.h"
#include "ui/window_request.h"

#include <string>

struct GtkApi;

namespace MissingRuntimeControl {
constexpr int32_t ok = 1;
constexpr int32_t cancel = 2;
constexpr int32_t folder = 201;
constexpr int32_t browse = 202;
constexpr int32_t message = 203;
constexpr int32_t icon = 204;
constexpr int32_t link = 205;
constexpr int32_t hint = 206;
constexpr int32_t pathLabel = 1000; // unnamed in the template
constexpr int32_t group = 1001;     // unnamed in the template
} // namespace MissingRuntimeControl

// Client area and controls, in dialog units; the frame first so that the rest lies on top of
// it; ending with id -1.
constexpr PixelRect missingRuntimeClientUnits{0, 0, 219, 145};
extern const PlacedControl missingRuntimeControlUnits[];

// The request of kind "missing-runtime": the dialog's texts in the given language, the browse
// title, the message, the address, and the wanted VM type (field "jvm_type", its number).
WindowMessage missingRuntimeWindowRequest(const MessageLanguage& language,
                                          const MissingRuntimeRequest& request);
JvmType requestedJvmType(const WindowMessage& request);

// The answers: OK with the picked folder, or Cancel (also for Escape and the close box).
WindowMessage missingRuntimeOkAnswer(const std::string& folder);
WindowMessage missingRuntimeCancelAnswer();

// The dialog as a window kind of the window process: answers {"button": "ok", "folder": ...}
// or {"button": "cancel"}.
WindowMessage showMissingRuntimeWindow(const GtkApi& gtk, const WindowMessage& request);

// Reads a window's answer into the pick (the folder is checked again here, not trusted);
// ok only for an OK whose folder holds a VM library.
MissingRuntimeAnswer readMissingRuntimeAnswer(const WindowMessage& answer, RuntimeFolderPick& pick);

// The VM library that the folder (on this machine) holds for the type; empty when none.
// Defined by the platform's runtime search.
std::string vmLibraryInFolder(const std::string& folder, JvmType type);
