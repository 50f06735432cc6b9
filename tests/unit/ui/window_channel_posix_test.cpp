#include "ui/window_host.h"
#include "ui/window_process.h"

#include <gtest/gtest.h>

#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace {

using namespace std::string_literals;

struct ChannelPair {
    WindowChannel launcherSide, windowSide;
    ChannelPair() {
        int ends[2];
        EXPECT_EQ(socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, ends), 0);
        launcherSide.reset(ends[0]);
        windowSide.reset(ends[1]);
    }
};

TEST(WindowChannel, CarriesWholeMessagesBothWays) {
    ChannelPair pair;
    // Larger than a socket buffer, so that both sides loop over partial transfers.
    const WindowMessage request{
        "exception", {{"caption", "Java-Ausnahme"}, {"report", std::string(3 << 20, 'r')}}};
    std::thread writer([&] { EXPECT_TRUE(writeWindowMessage(pair.launcherSide.get(), request)); });
    std::optional<WindowMessage> received = readWindowMessage(pair.windowSide.get());
    writer.join();
    ASSERT_TRUE(received);
    EXPECT_EQ(received->fields, request.fields);

    EXPECT_TRUE(writeWindowMessage(pair.windowSide.get(), {"answer", {{"choice", "ignore"}}}));
    std::optional<WindowMessage> answer = readWindowMessage(pair.launcherSide.get());
    ASSERT_TRUE(answer);
    EXPECT_EQ(answer->field("choice"), "ignore");
}

TEST(WindowChannel, AnEndedOrHostileSideGivesNoMessage) {
    const std::string frame = *encodeWindowMessage({"answer", {{"choice", "stop"}}});
    const struct {
        const char* what;
        std::string bytes;
    } cases[] = {
        {"closed at once", ""},
        {"closed inside the header", frame.substr(0, 2)},
        {"closed inside the body", frame.substr(0, frame.size() - 1)},
        {"body over its bound", "\xff\xff\xff\x7f"s + frame},
        {"malformed body", "\x03\0\0\0\x09"
                           "ab"s},
    };
    for (const auto& c : cases) {
        ChannelPair pair;
        ASSERT_EQ(write(pair.windowSide.get(), c.bytes.data(), c.bytes.size()),
                  static_cast<ssize_t>(c.bytes.size()));
        pair.windowSide.reset();
        EXPECT_FALSE(readWindowMessage(pair.launcherSide.get())) << c.what;
    }
}

TEST(WindowChannel, WritingToAnEndedSideFailsWithoutASignal) {
    ChannelPair pair;
    pair.windowSide.reset();
    EXPECT_FALSE(writeWindowMessage(pair.launcherSide.get(), {"message", {{"text", "x"}}}));
    EXPECT_FALSE(writeWindowMessage(pair.launcherSide.get(), {std::string(300, 'k'), {}}))
        << "over its bounds";
}

} // namespace
