#include "ui/window_request.h"

#include <gtest/gtest.h>

#include <string>

namespace {

using namespace std::string_literals;

WindowMessage sample() {
    WindowMessage message{"exception", {}};
    message.add("caption", "Java-Ausnahme")
        .add("report", "line\0with NUL\r\n\xff\xfe bytes"s)
        .add("empty", "")
        .add(std::string(maxWindowNameSize, 'n'), "longest name");
    return message;
}

std::string frameOf(const WindowMessage& message) {
    std::optional<std::string> frame = encodeWindowMessage(message);
    EXPECT_TRUE(frame.has_value()) << message.kind;
    return frame.value_or("");
}

TEST(WindowRequest, MessagesComeBackAsTheyWere) {
    const WindowMessage messages[] = {
        {"", {}},
        {"message", {{"title", "Error"}, {"text", "Main class was not specified.\n"}}},
        sample(),
        {"answer", {{"choice", "ignore"}, {"choice", "stop"}}}, // repeated names stay in order
    };
    for (const WindowMessage& message : messages) {
        std::optional<WindowMessage> decoded = decodeWindowMessage(frameOf(message));
        ASSERT_TRUE(decoded) << message.kind;
        EXPECT_EQ(decoded->kind, message.kind);
        EXPECT_EQ(decoded->fields, message.fields);
    }
    WindowMessage answer{"answer", {{"choice", "ignore"}, {"choice", "stop"}}};
    EXPECT_EQ(answer.field("choice"), "ignore");
    EXPECT_EQ(answer.field("missing"), "");
    EXPECT_FALSE(answer.has("missing"));
    EXPECT_TRUE(isFailedWindowAnswer(failedWindowAnswer("no GTK")));
    EXPECT_EQ(failedWindowAnswer("no GTK").field("reason"), "no GTK");
    EXPECT_FALSE(isFailedWindowAnswer(answer));
}

TEST(WindowRequest, TheFrameLayoutIsLittleEndianWithExactLengths) {
    const std::string frame = frameOf({"k", {{"ab", "xyz"}}});
    EXPECT_EQ(frame, "\x0e\0\0\0"s
                     "\x01k"
                     "\x01\0"s
                     "\x02"
                     "ab"
                     "\x03\0\0\0"s
                     "xyz");
}

TEST(WindowRequest, EncodingRefusesWhatIsOverItsBounds) {
    const std::string tooLongName(maxWindowNameSize + 1, 'n');
    WindowMessage tooManyFields{"k", {}};
    for (size_t i = 0; i <= maxWindowFieldCount; ++i)
        tooManyFields.add("f", "");
    const WindowMessage refused[] = {
        {tooLongName, {}},
        {"k", {{tooLongName, ""}}},
        {"k", {{"v", std::string(maxWindowValueSize + 1, 'v')}}},
        {"k",
         {{"a", std::string(maxWindowValueSize, 'v')},
          {"b", std::string(maxWindowValueSize, 'v')}}},
        tooManyFields,
    };
    for (const WindowMessage& message : refused)
        EXPECT_FALSE(encodeWindowMessage(message)) << message.fields.size();
    EXPECT_TRUE(encodeWindowMessage({"k", {{"v", std::string(maxWindowValueSize, 'v')}}}));
}

TEST(WindowRequest, EveryCutOffFrameIsRejected) {
    const std::string frame = frameOf(sample());
    for (size_t length = 0; length < frame.size(); ++length)
        EXPECT_FALSE(decodeWindowMessage(frame.substr(0, length))) << length;
    EXPECT_FALSE(decodeWindowMessage(frame + "x")) << "bytes after the frame";
}

TEST(WindowRequest, HostileLengthsAreRejectedWithoutReadingPastTheEnd) {
    const struct {
        const char* what;
        std::string body;
    } cases[] = {
        {"kind longer than the body", "\x09k\0\0"s},
        {"field count with no fields", "\x01k\x02\0"s},
        {"field count over the bound", "\x01k\x01\x01"s + std::string(300, '\0')},
        {"name longer than the body", "\x01k\x01\0\x05"
                                      "ab"s},
        {"value longer than the body", "\x01k\x01\0\x01v\x10\0\0\0abc"s},
        {"value over its bound", "\x01k\x01\0\x01v\xff\xff\xff\xff"s},
        {"left-over bytes", "\x01k\0\0!"s},
        {"nothing", ""},
    };
    for (const auto& c : cases)
        EXPECT_FALSE(decodeWindowMessageBody(c.body)) << c.what;

    EXPECT_EQ(windowFrameBodyLength("\x10\0\0\0"s), 16u);
    EXPECT_EQ(windowFrameBodyLength("\0\0\0\x02"s), maxWindowBodySize);
    EXPECT_FALSE(windowFrameBodyLength("\x01\0\0\x02"s)) << "one byte over the bound";
    EXPECT_FALSE(windowFrameBodyLength("\xff\xff\xff\xff"));
    EXPECT_FALSE(windowFrameBodyLength("\x01\0\0"s)) << "short header";
}

TEST(DisplayableText, KeepsValidUtf8AndReplacesTheRest) {
    const std::string replacement = "\xEF\xBF\xBD";
    const struct {
        std::string text, shown;
    } cases[] = {
        {"Grüße – Ελληνικά – 日本語 😀", "Grüße – Ελληνικά – 日本語 😀"},
        {"a\0b"s, "a" + replacement + "b"},
        {"\xC3", replacement},                                     // cut-off sequence
        {"\xC0\xAF", replacement + replacement},                   // overlong
        {"\xE0\x80\xAF", replacement + replacement + replacement}, // overlong, three bytes
        {"\xED\xA0\x80", replacement + replacement + replacement}, // surrogate
        {"\xF4\x90\x80\x80", replacement + replacement + replacement + replacement}, // > U+10FFFF
        {"\xFF ok", replacement + " ok"},
        {"\xF0\x9F\x98", replacement + replacement + replacement},
    };
    for (const auto& c : cases)
        EXPECT_EQ(displayableText(c.text), c.shown) << c.text;
}

TEST(Utf8Prefix, NeverSplitsACharacter) {
    const std::string text = "a€b"; // € is three bytes
    const struct {
        size_t maxBytes;
        std::string prefix;
    } cases[] = {{0, ""}, {1, "a"}, {2, "a"}, {3, "a"}, {4, "a€"}, {5, "a€b"}, {99, "a€b"}};
    for (const auto& c : cases)
        EXPECT_EQ(utf8Prefix(text, c.maxBytes), c.prefix) << c.maxBytes;
}

} // namespace
