#include "vmhost/vm_options.h"

#include <gtest/gtest.h>

namespace {

constexpr uint64_t MiB = 1024 * 1024;
constexpr uint64_t GiB = 1024 * MiB;
constexpr uint64_t TiB = 1024 * GiB;

MemoryStatus machine(uint64_t physical, uint64_t virtualFree = 0) {
    MemoryStatus memory;
    memory.totalPhysical = physical;
    memory.availableVirtual = virtualFree;
    return memory;
}

TEST(ParseNumberList, FindsPrefixAndNumbersBeforeTheUnitLetter) {
    struct Case {
        const char* text;
        size_t start;
        std::vector<uint64_t> numbers;
    } cases[] = {
        {"-Xmx50:256:1024P", 4, {50, 256, 1024}},
        {"-Xmx:256P", 4, {0, 256}},
        {"-Xmx25P", 4, {25}},
        {"-Xmx2a5P", 4, {25}}, // other characters are skipped
        {"-XmxP", 4, {}},      // no numbers: the prefix is all but the unit
        {"512k", 0, {512}},
        {"2097152", 0, {209715}}, // the last character is always taken for the unit
    };
    for (const Case& c : cases) {
        NumberList list = parseNumberList(c.text);
        EXPECT_EQ(list.start, c.start) << c.text;
        EXPECT_EQ(list.numbers, c.numbers) << c.text;
    }
}

TEST(RelativeMemoryOption, RecognisesOnlyTheThreeOptionsWithShareUnits) {
    for (const char* yes : {"-Xmx50P", "-Xms1p", "-Xss10T", "-Xmx:256t"})
        EXPECT_TRUE(isRelativeMemoryOption(yes)) << yes;
    for (const char* no : {"-Xmx512m", "-XMX50P", "-Xmn50P", "-Xmx", "", "-Dp=P"})
        EXPECT_FALSE(isRelativeMemoryOption(no)) << no;
}

TEST(RelativeMemoryOption, TakesTheShareCapsAtTheMaximumAndRaisesToTheMinimum) {
    struct Case {
        const char* token;
        MemoryStatus memory;
        const char* expected;
    } cases[] = {
        {"-Xmx50:256:1024P", machine(16 * GiB), "-Xmx1048576K"},
        {"-Xmx50:256:1024P", machine(256 * MiB), "-Xmx262144K"},
        {"-Xmx50:256:1024P", machine(1 * GiB), "-Xmx524288K"},
        {"-Xmx25p", machine(4 * GiB), "-Xmx1048576K"},
        {"-Xms10:512:100P", machine(1 * GiB), "-Xms524288K"}, // the minimum wins
        {"-Xmx0P", machine(16 * GiB), "-Xmx0K"},
        {"-XmxP", machine(16 * GiB), "-Xmx0K"},
        {"-Xmx33P", machine(1000 * 1024), "-Xmx330K"}, // truncated toward zero
        {"-Xmx50T", machine(1 * GiB, 8 * GiB), "-Xmx4194304K"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(resolveRelativeMemoryOption(c.token, c.memory), c.expected) << c.token;
}

TEST(RelativeMemoryOption, PrintsSizesOfTwoTebibytesAndMoreInFull) {
    // The free address space of a 64-bit process is about 128 TiB.
    EXPECT_EQ(resolveRelativeMemoryOption("-Xmx50T", machine(0, 128 * TiB)), "-Xmx68719476736K");
    EXPECT_EQ(resolveRelativeMemoryOption("-Xmx100P", machine(4 * TiB)), "-Xmx4294967296K");
    // A share whose size no longer fits in 64 bits ends at the largest value.
    EXPECT_EQ(resolveRelativeMemoryOption("-Xmx99999999999999999999999P", machine(TiB)),
              "-Xmx18446744073709551615K");
}

TEST(StackSize, ReadsOneNumberWithAnOptionalUnit) {
    struct Case {
        const char* text;
        uint64_t bytes;
    } cases[] = {
        {"512k", 512 * 1024},
        {"512K", 512 * 1024},
        {"2m", 2 * MiB},
        {"1G", GiB},
        {"2097152", 2097152},
        {"7", 7},
        {"100x", 100}, // an unknown unit multiplies by 1
        {"", 0},
        {"k", 0},
        {"1:2k", 0},
        {"x512k", 0},
        {":5k", 0},
        {"99999999999999999999999k", UINT64_MAX},
    };
    for (const Case& c : cases)
        EXPECT_EQ(parseStackSize(c.text), c.bytes) << c.text;
    EXPECT_EQ(unitMultiplier('g'), GiB);
    EXPECT_EQ(unitMultiplier('b'), 1u);
}

TEST(RemoveQuotes, DropsPairsAndKeepsADoubledClosingQuote) {
    struct Case {
        const char* token;
        const char* expected;
    } cases[] = {
        {"-Dname=\"a b\"", "-Dname=a b"}, {"\"-Da=1\"", "-Da=1"},
        {"-Da=\"x\"\"", "-Da=x\""},       {"-Da=\"\"", "-Da="},
        {"-Da=\"open", "-Da=\"open"},     {"plain", "plain"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(removeQuotes(c.token), c.expected) << c.token;
}

TEST(SplitVmParameters, CutsAtBlanksOutsideQuotePairs) {
    struct Case {
        const char* text;
        std::vector<std::string> options;
    } cases[] = {
        {"-Da=1 -Db=2", {"-Da=1", "-Db=2"}},
        {"  -Da=1   -Db=2  ", {"-Da=1", "-Db=2"}},
        {"-Dname=\"a b\" -Dc=d", {"-Dname=a b", "-Dc=d"}},
        {"-Dq=\"a \"\"b\" -Dc", {"-Dq=a \"b\"", "-Dc"}},
        {"-Dopen=\"a b", {"-Dopen=\"a", "b"}},
        {"   ", {}},
        {"", {}},
    };
    for (const Case& c : cases) {
        VmParameterList list([] { return MemoryStatus{}; });
        splitVmParameters(c.text, list);
        EXPECT_EQ(list.options, c.options) << c.text;
    }
}

TEST(SplitVmParameters, ResolvesMemoryFormsAndTakesTheLastStackSize) {
    int queries = 0;
    VmParameterList list([&queries] {
        ++queries;
        return machine(4 * GiB);
    });
    splitVmParameters(" -Dname=\"a b\" -Xmx25P -Xss512k -Xss2m -Xms64m", list);
    EXPECT_EQ(list.options, (std::vector<std::string>{"-Dname=a b", "-Xmx1048576K", "-Xss512k",
                                                      "-Xss2m", "-Xms64m"}));
    EXPECT_EQ(list.mainStackSize, 2 * MiB);
    EXPECT_EQ(queries, 1);
}

TEST(SplitVmParameters, ReadsARelativeStackSizeAfterResolvingIt) {
    VmParameterList list([] { return machine(1 * GiB); });
    splitVmParameters("-Xss10P", list);
    EXPECT_EQ(list.options, std::vector<std::string>{"-Xss104857K"});
    EXPECT_EQ(list.mainStackSize, 104857u * 1024);

    VmParameterList unparsable([] { return MemoryStatus{}; });
    splitVmParameters("-Xss1m -Xssbig", unparsable);
    EXPECT_EQ(unparsable.mainStackSize, 0u); // a later -Xss replaces the earlier one
    EXPECT_EQ(unparsable.options.size(), 2u);
}

} // namespace
