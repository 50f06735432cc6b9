#pragma once

// The reading step of the launch sequence: loadSettings with its message.

#include "settings/launch_settings.h"
#include "support/os_handle.h"

#include <atomic>
#include <optional>

// The launcher's keys; nullopt when the settings file path cannot be made or no main class is
// configured, the user then having been told (over the window errorOwner holds at that moment).
std::optional<LaunchSettings> readSettings(const std::atomic<OsHandle>& errorOwner);
