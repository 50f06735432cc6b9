#pragma once

// What single-instance set-up decided, kept by the launch sequence until shutdown.

#include "instance/instance_session.h"

#include <memory>

struct InstanceState {
    // The shared block, the listener and the main-started signal; null when the mode is off.
    std::unique_ptr<InstanceSession> session;
    // "Single Instance" is "yes" and coordination did not turn it off.
    bool singleInstance = false;
    bool isPrimary = false;
};
