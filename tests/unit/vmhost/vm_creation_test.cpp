#include "vmhost/vm_host.h"

#include "ui/message_ids.h"
#include "vmhost/vm_hook_listener.h"

#include <jni.h>

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <vector>

namespace {

// What the last call of the stand-in JNI_CreateJavaVM received.
struct CreateCall {
    jint version = 0;
    jboolean ignoreUnrecognized = JNI_TRUE;
    std::vector<std::string> options;
    std::vector<void*> extraInfo;
};
CreateCall lastCall;
JNIEnv_ unusedEnv{};
JavaVM_ unusedVm{};

jint JNICALL recordingCreate(JavaVM** vm, void** env, void* initArgs) {
    auto* args = static_cast<JavaVMInitArgs*>(initArgs);
    lastCall = CreateCall();
    lastCall.version = args->version;
    lastCall.ignoreUnrecognized = args->ignoreUnrecognized;
    for (jint i = 0; i < args->nOptions; ++i) {
        lastCall.options.push_back(args->options[i].optionString);
        lastCall.extraInfo.push_back(args->options[i].extraInfo);
    }
    *vm = &unusedVm;
    *env = &unusedEnv;
    return JNI_OK;
}

// The head of the JDK 1.1 init-args record, as far as the stack size.
struct Jdk11Head {
    jint version;
    char** properties;
    jint checkSource;
    jint nativeStackSize;
    jint javaStackSize;
};
jint reportedStackSize = 0;
jint versionAsked = 0;

jint JNICALL defaultArgs(void* initArgs) {
    auto* args = static_cast<Jdk11Head*>(initArgs);
    versionAsked = args->version;
    args->javaStackSize = reportedStackSize;
    return JNI_OK;
}

class RecordingListener : public VmHookListener {
  public:
    void onExit(int32_t code) override { events.push_back("exit " + std::to_string(code)); }
    void onAbort() override { events.push_back("abort"); }
    std::vector<std::string> events;
};

class VmCreation : public ::testing::Test {
  protected:
    bool create(const std::vector<std::string>& options = {}) {
        return createVm(entryPoints, options, StreamFiles(), errorOwner, session);
    }
    VmEntryPoints entryPoints{reinterpret_cast<void*>(&recordingCreate),
                              reinterpret_cast<void*>(&defaultArgs)};
    std::atomic<OsHandle> errorOwner{nullptr};
    VmSession session;
};

TEST_F(VmCreation, HandsTheOptionsInOrderThenTheTwoHooks) {
    ASSERT_TRUE(create({"-Djava.class.path=a.jar;", "-Xmx1048576K", "-Xss512k"}));
    EXPECT_EQ(lastCall.version, JNI_VERSION_1_2);
    EXPECT_EQ(lastCall.ignoreUnrecognized, JNI_FALSE);
    EXPECT_EQ(lastCall.options,
              (std::vector<std::string>{"-Djava.class.path=a.jar;", "-Xmx1048576K", "-Xss512k",
                                        "abort", "exit"}));
    for (size_t i = 0; i < 3; ++i)
        EXPECT_EQ(lastCall.extraInfo[i], nullptr);
    EXPECT_NE(lastCall.extraInfo[3], nullptr);
    EXPECT_NE(lastCall.extraInfo[4], nullptr);
    EXPECT_EQ(session.vm, &unusedVm);
    EXPECT_EQ(session.env, &unusedEnv);
}

TEST_F(VmCreation, AnEmptyOptionListStillCarriesTheHooks) {
    ASSERT_TRUE(create());
    EXPECT_EQ(lastCall.options, (std::vector<std::string>{"abort", "exit"}));
}

TEST_F(VmCreation, TheHooksReachAnInstalledListenerOnly) {
    ASSERT_TRUE(create());
    auto abortHook = reinterpret_cast<void(JNICALL*)()>(lastCall.extraInfo[0]);
    auto exitHook = reinterpret_cast<void(JNICALL*)(jint)>(lastCall.extraInfo[1]);
    abortHook();
    exitHook(3); // no listener: nothing happens
    RecordingListener listener;
    setVmHookListener(&listener);
    exitHook(-1);
    abortHook();
    setVmHookListener(nullptr);
    exitHook(4);
    EXPECT_EQ(listener.events, (std::vector<std::string>{"exit -1", "abort"}));
}

TEST_F(VmCreation, TheDefaultStackSizeComesThroughTheJdk11Record) {
    struct Case {
        jint reported;
        uint64_t expected;
    } cases[] = {{1048576, 1048576}, {0, 0}, {-4096, 0}};
    for (const Case& c : cases) {
        reportedStackSize = c.reported;
        EXPECT_EQ(vmDefaultStackSize(entryPoints), c.expected) << c.reported;
        EXPECT_EQ(versionAsked, JNI_VERSION_1_1);
    }
}

TEST(VmCreationReasons, EachJniErrorHasItsText) {
    struct Case {
        int32_t code;
        int id;
    } cases[] = {{-1, MessageId::reasonUnknown},
                 {-2, MessageId::reasonDetached},
                 {-3, MessageId::reasonVersion},
                 {-4, MessageId::reasonNoMemory},
                 {-5, MessageId::reasonExists},
                 {-6, MessageId::reasonInvalidArguments},
                 {-7, 0},
                 {1, 0}};
    for (const Case& c : cases)
        EXPECT_EQ(createVmReasonId(c.code), c.id) << c.code;
}

} // namespace
