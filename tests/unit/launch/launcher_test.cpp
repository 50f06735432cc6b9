#include "launch/launcher.h"

#include "vmhost/vm_hook_listener.h"

#include <gtest/gtest.h>

namespace {

class IgnoringListener : public VmHookListener {
  public:
    void onExit(int32_t) override {}
    void onAbort() override {}
};

} // namespace

// A listener set during the launch (the single-instance session, the class-data publisher)
// lives in the launcher's records: once the launcher is gone the VM's hooks must not reach it.
TEST(Launcher, TakesTheVmHookListenerAlongWhenItEnds) {
    IgnoringListener listener;
    {
        Launcher launcher;
        setVmHookListener(&listener);
        EXPECT_EQ(vmHookListener(), &listener);
    }
    EXPECT_EQ(vmHookListener(), nullptr);
}
