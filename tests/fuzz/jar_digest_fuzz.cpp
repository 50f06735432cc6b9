// The jar digest on any file: every read it asks for lies inside the file, a directory it finds
// does too, and the digest depends on the file alone.

#include "fuzz_check.h"
#include "vmhost/jar_digest.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string file = fuzzText(data, size);
    ReadFileRange read = [&file](uint64_t offset, size_t length, std::string& bytes) {
        FUZZ_CHECK(offset <= file.size() && length <= file.size() - offset);
        bytes = file.substr(offset, length);
        return true;
    };
    uint64_t offset = 0;
    uint64_t directorySize = 0;
    if (findCentralDirectory(file, file.size(), read, offset, directorySize))
        FUZZ_CHECK(offset <= file.size() && directorySize <= file.size() - offset);
    uint64_t first = 0;
    uint64_t second = 0;
    bool found = jarDigest(file.size(), read, first);
    FUZZ_CHECK(found == jarDigest(file.size(), read, second));
    FUZZ_CHECK(first == second);
    return 0;
}
