#pragma once

// The text rules of the user's VM parameters: blank-separated tokens with double-quote
// grouping, memory sizes given as a share of the machine's memory ("-Xmx50:256:1024P"), and
// the main thread's stack size taken from "-Xss". Portable; the memory figures come from the
// platform through a query that is called only when a relative option needs them.

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

// The machine figures that relative memory options are a share of, in bytes.
struct MemoryStatus {
    uint64_t totalPhysical = 0;    // "P": physical memory of the machine
    uint64_t availableVirtual = 0; // "T": address space still free for this process
};

// The platform's figures (Windows: GlobalMemoryStatusEx; POSIX: see vm_options_posix.cpp).
MemoryStatus queryMemoryStatus();
// Option text as the VM reads it: the thread's ANSI code page on Windows, UTF-8 on POSIX.
std::string toVmOptionText(const std::string& utf8);

struct NumberList {
    // Index of the first digit or ":"; the text before it is the option's prefix.
    size_t start = 0;
    std::vector<uint64_t> numbers;
};

// The numbers of text from its first digit or ":" up to, not including, its last character
// (the unit letter): digits accumulate, ":" starts the next number, anything else is skipped.
// Without a digit or ":" the list is empty and start is the index of the last character.
NumberList parseNumberList(const std::string& text);

// "-Xms", "-Xmx" or "-Xss" followed by anything and ending in P, p, T or t.
bool isRelativeMemoryOption(const std::string& token);
// "-Xmx<percent>:<min MB>:<max MB>P" becomes "-Xmx<size>K": percent of the physical memory (P)
// or of the free address space (T), then capped by the maximum, then raised to the minimum.
std::string resolveRelativeMemoryOption(const std::string& token, const MemoryStatus& memory);

// 1073741824 for G/g, 1048576 for M/m, 1024 for K/k, else 1.
uint64_t unitMultiplier(char letter);
// Bytes of a "-Xss" value ("512k", "2097152"); 0 unless it is exactly one number with an
// optional unit letter.
uint64_t parseStackSize(const std::string& text);

// Drops the double-quote pairs of a token and keeps the text between them; a doubled quote
// at a closing position leaves one literal quote.
std::string removeQuotes(const std::string& token);

// The normalised VM parameters in their order, and the stack size of the last parsable
// "-Xss" (0 when none).
struct VmParameterList {
    explicit VmParameterList(std::function<MemoryStatus()> memoryQuery = queryMemoryStatus)
        : memoryQuery(std::move(memoryQuery)) {}

    std::vector<std::string> options;
    uint64_t mainStackSize = 0;
    std::function<MemoryStatus()> memoryQuery;
};

// Cuts text at blanks outside double-quote pairs and adds every token.
void splitVmParameters(const std::string& text, VmParameterList& list);
// Removes the token's quotes, resolves a relative memory form, takes the stack size of "-Xss",
// and appends the token.
void addVmParameter(const std::string& token, VmParameterList& list);
