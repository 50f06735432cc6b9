// Test tool: opens the single-instance objects of the name given as its argument and prints
// what another process sees of them, one "key=value" a line: the header fields, the message id
// this process registers under the same name, whether the main-started event exists, the
// image path of the process the header names, the argument area's first 64 bytes in hex, and
// whether the block's second half is all zero.
//
// With "hold-block" or "hold-lock" READY STOP after the name it plays a process that does not
// follow the protocol: it creates the block (without a header) or takes the request lock,
// creates the file READY and keeps the object until the file STOP exists.

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

bool exists(const wchar_t* path) {
    return GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

int hold(const std::wstring& name, const std::wstring& what, const wchar_t* ready,
         const wchar_t* stop) {
    HANDLE object = nullptr;
    if (what == L"hold-block")
        object = CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, 0, 2092,
                                    name.c_str());
    else if (what == L"hold-lock")
        object = CreateMutexW(nullptr, FALSE, (name + L"_lock").c_str());
    // A mutex that exists already is owned only once waited for.
    if (object == nullptr ||
        (what == L"hold-lock" && WaitForSingleObject(object, INFINITE) != WAIT_OBJECT_0))
        return 3;
    CloseHandle(CreateFileW(ready, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    while (!exists(stop))
        Sleep(20);
    CloseHandle(object);
    return 0;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    if (argc == 5)
        return hold(argv[1], argv[2], argv[3], argv[4]);
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
