// Test tool: opens the single-instance objects of the name given as its argument and prints
// what another process sees of them, one "key=value" a line: the header fields, the message id
// this process registers under the same name, whether the main-started event exists, the
// image path of the process the header names, the argument area's first 64 bytes in hex, and
// whether the block's second half is all zero.

#include <windows.h>

#include <cstdio>
#include <string>

namespace {

uint32_t readUint32(const unsigned char* at) {
    return at[0] | (at[1] << 8) | (at[2] << 16) | (static_cast<uint32_t>(at[3]) << 24);
}

std::string processImage(DWORD id) {
    HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
    if (process == nullptr)
        return {};
    char path[MAX_PATH];
    DWORD size = MAX_PATH;
    bool found = QueryFullProcessImageNameA(process, 0, path, &size) != FALSE;
    CloseHandle(process);
    return found ? std::string(path, size) : std::string();
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc != 2)
        return 2;
    std::wstring name = argv[1];
    HANDLE mapping = OpenFileMappingW(FILE_MAP_READ, FALSE, name.c_str());
    if (mapping == nullptr) {
        std::printf("block=absent\n");
        return 1;
    }
    auto* block = static_cast<const unsigned char*>(MapViewOfFile(mapping, FILE_MAP_READ, 0, 0, 0));
    std::printf("block=present\n");
    std::printf("thread=%u\nprocess=%u\nmessage=%u\n", readUint32(block), readUint32(block + 4),
                readUint32(block + 8));
    std::printf("registered=%u\n", RegisterWindowMessageW(name.c_str()));
    HANDLE event = OpenEventW(SYNCHRONIZE, FALSE, (name + L"_upr_evt").c_str());
    std::printf("event=%s\n", event != nullptr ? "present" : "absent");
    std::printf("image=%s\nargs=", processImage(readUint32(block + 4)).c_str());
    for (int i = 12; i < 12 + 64; ++i)
        std::printf("%02x", block[i]);
    bool zero = true;
    for (int i = 1052; i < 2092; ++i)
        zero = zero && block[i] == 0;
    std::printf("\nsecond-half-zero=%d\n", zero ? 1 : 0);
    return 0;
}
