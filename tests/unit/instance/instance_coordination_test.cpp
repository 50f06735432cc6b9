#include "instance/instance_coordination.h"

#include "vmhost/vm_hook_listener.h"

#include <gtest/gtest.h>

namespace {

class OtherListener final : public VmHookListener {
  public:
    void onExit(int32_t) override {}
    void onAbort() override {}
};

// The VM hook slot is process-wide: every case leaves it empty.
class InstanceCoordinationOff : public ::testing::Test {
  protected:
    void TearDown() override { setVmHookListener(nullptr); }
};

TEST_F(InstanceCoordinationOff, AServiceOrAnUnwantedModeNeverCoordinates) {
    struct Case {
        bool isService;
        bool wanted;
    };
    const Case cases[] = {{false, false}, {true, false}, {true, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "service " << c.isService << ", wanted " << c.wanted);
        InstanceState state;
        state.singleInstance = true; // set-up decides afresh, whatever the record held
        EXPECT_TRUE(setUpInstanceCoordination(c.isService, c.wanted, {"a"}, state));
        EXPECT_FALSE(state.singleInstance);
        EXPECT_FALSE(state.isPrimary);
        EXPECT_EQ(state.session, nullptr);
        EXPECT_EQ(vmHookListener(), nullptr);
    }
}

TEST_F(InstanceCoordinationOff, ShutdownLeavesAnotherListenerInItsSlot) {
    OtherListener other;
    setVmHookListener(&other);
    InstanceState state;
    ASSERT_TRUE(setUpInstanceCoordination(true, true, {}, state));
    shutDownInstanceCoordination(state, 3);
    EXPECT_EQ(vmHookListener(), &other);
    EXPECT_EQ(state.session, nullptr);
}

} // namespace
