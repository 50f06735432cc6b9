#include "launch/read_settings.h"

#include "settings/settings.h"
#include "ui/messages.h"

std::optional<LaunchSettings> readSettings(const std::atomic<OsHandle>& errorOwner) {
    SettingsContext context;
    if (!currentSettingsContext(context))
        return std::nullopt;
    std::optional<LaunchSettings> read = loadSettings(context);
    if (!read)
        reportError(errorOwner.load(), loadResourceString(MessageId::mainClassMissing));
    return read;
}
