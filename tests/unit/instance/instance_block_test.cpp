#include "instance/instance_block.h"

#include "vmhost/java_strings.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(InstanceName, SeparatorsBecomeUnderscoresAndLongNamesEndInAHash) {
    EXPECT_EQ(instanceName("C:\\Apps\\Tool\\tool.exe", PathStyle::windows),
              "C:_Apps_Tool_tool.exe");

    std::string folder = "/" + std::string(150, 'f');
    std::string first = instanceName(folder + "/a/tool", PathStyle::posix, 100);
    std::string second = instanceName(folder + "/b/tool", PathStyle::posix, 100);
    EXPECT_EQ(first.size(), 100u);
    EXPECT_NE(first, second);
    EXPECT_EQ(first, instanceName(folder + "/a/tool", PathStyle::posix, 100));
    EXPECT_NE(first.find("_a_tool_"), std::string::npos); // the name's end stays readable
}

TEST(PathHash, TellsApartPathsThatFoldingSeparatorsWouldMerge) {
    EXPECT_NE(pathHash("/coll/x_y/tool"), pathHash("/coll/x/y/tool"));
    EXPECT_EQ(pathHash("/opt/app/tool"), pathHash("/opt/app/tool"));
    EXPECT_EQ(pathHash("").size(), 16u);
    EXPECT_EQ(pathHash(""), "cbf29ce484222325"); // FNV-1a's offset basis: the name never changes
}

TEST(ArgumentBlock, EncodesEveryArgumentAndDecodesItBack) {
    const std::vector<std::vector<std::string>> lists = {
        {"a", "", "b"},
        {"", ""},
        {"Grüße", "日本語", "\xF0\x9F\x98\x80"},
        {std::string(518, 'x')},
        {std::string(258, 'y'), std::string(258, 'z')},
    };
    for (const auto& list : lists) {
        auto block = encodeArguments(list);
        ASSERT_TRUE(block.has_value()) << list.size();
        EXPECT_EQ(block->count, list.size());
        auto decoded = decodeArguments(*block);
        ASSERT_TRUE(decoded.has_value());
        ASSERT_EQ(decoded->size(), list.size());
        for (size_t i = 0; i < list.size(); ++i)
            EXPECT_EQ((*decoded)[i], utf8ToUtf16(list[i]));
    }
}

TEST(ArgumentBlock, NoArgumentsTravelAsOneEmptyArgument) {
    auto block = encodeArguments({});
    ASSERT_TRUE(block.has_value());
    EXPECT_EQ(block->count, 1u);
    EXPECT_EQ(decodeArguments(*block), std::vector<std::u16string>{u""});
}

TEST(ArgumentBlock, LayoutIsUnitsWithTerminatorsThenOneMoreZero) {
    auto block = encodeArguments({"ab", "", "\xC3\xA9"});
    ASSERT_TRUE(block.has_value());
    const std::vector<uint8_t> expected = {'a', 0, 'b', 0, 0, 0, 0, 0, 0xE9, 0, 0, 0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(block->bytes.begin(), block->bytes.begin() + 14), expected);
}

TEST(ArgumentBlock, ListsBeyondTheBlockAreRefused) {
    // Each argument costs 2 bytes a unit plus its terminator; the list 2 bytes more.
    EXPECT_FALSE(encodeArguments({std::string(519, 'x')}).has_value());
    EXPECT_TRUE(encodeArguments({std::string(258, 'y'), std::string(259, 'z')}).has_value());
    EXPECT_FALSE(encodeArguments({std::string(259, 'y'), std::string(259, 'z')}).has_value());
    EXPECT_FALSE(encodeArguments(std::vector<std::string>(520, "")).has_value());
    EXPECT_TRUE(encodeArguments(std::vector<std::string>(519, "")).has_value());
    // A supplementary character is two units.
    std::string smileys;
    for (int i = 0; i < 259; ++i)
        smileys += "\xF0\x9F\x98\x80";
    EXPECT_TRUE(encodeArguments({smileys}).has_value());
    EXPECT_FALSE(encodeArguments({smileys + "x"}).has_value());
}

TEST(ArgumentBlock, HostileCountsStayInsideTheBlock) {
    ArgumentBlock block;
    block.bytes.fill('q');
    for (uint32_t count : {0u, 1u, 521u, 0xFFFFFFFFu}) {
        block.count = count;
        EXPECT_FALSE(decodeArguments(block).has_value()) << count;
    }
    block.bytes.fill(0);
    block.count = 520;
    EXPECT_EQ(decodeArguments(block)->size(), 520u);
    block.count = 521;
    EXPECT_FALSE(decodeArguments(block).has_value());
}

TEST(SharedBlock, HeaderAndArgumentsSitAtTheirOffsets) {
    std::vector<uint8_t> shared(instance_block::blockSize, 0xAA);
    writeHeader(shared.data(), {0x01020304, 0x0A0B0C0D, 0xC001});
    const std::vector<uint8_t> header = {4, 3, 2, 1, 0x0D, 0x0C, 0x0B, 0x0A, 0x01, 0xC0, 0, 0};
    EXPECT_EQ(std::vector<uint8_t>(shared.begin(), shared.begin() + 12), header);

    writeArguments(shared.data(), *encodeArguments({"hi"}));
    EXPECT_EQ(shared[12], 'h');
    EXPECT_EQ(shared[1051], 0);
    EXPECT_EQ(shared[1052], 0xAA); // the second half is never written

    BlockHeader read = readHeader(shared.data());
    EXPECT_EQ(read.listenerThreadId, 0x01020304u);
    EXPECT_EQ(read.processId, 0x0A0B0C0Du);
    EXPECT_EQ(read.messageId, 0xC001u);
    EXPECT_EQ(decodeArguments(readArguments(shared.data(), 1)), std::vector<std::u16string>{u"hi"});
}

} // namespace
