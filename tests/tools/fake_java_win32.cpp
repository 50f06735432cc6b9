// Stands in for a runtime's javaw.exe under Wine (never shipped): with -Xshare:dump and a
// non-empty -XX:SharedClassListFile, writes a 4096-byte archive to -XX:SharedArchiveFile and
// exits with 0 (with FAKE_JAVA_FAIL set, writes half of it and exits with 1); with
// -Xshare:on (the job's trial), exits with 0 when -XX:SharedArchiveFile names such an archive
// of 4096 bytes; else exits with 1 and writes nothing. Appends "dump <arguments>" or "trial
// <arguments>" (separated by '|') to the file that FAKE_JVM_RECORD names.

#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::string narrow(const wchar_t* text) {
    int size = WideCharToMultiByte(CP_UTF8, 0, text, -1, nullptr, 0, nullptr, nullptr);
    std::string result(size > 0 ? static_cast<size_t>(size - 1) : 0, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text, -1, result.data(), size, nullptr, nullptr);
    return result;
}

std::string valueOf(const std::string& argument, const char* option) {
    std::string prefix = option;
    return argument.rfind(prefix, 0) == 0 ? argument.substr(prefix.size()) : std::string();
}

bool nonEmptyFile(const std::string& path) {
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return false;
    bool filled = std::fgetc(file) != EOF;
    std::fclose(file);
    return filled;
}

long fileSize(const std::string& path) {
    FILE* file = path.empty() ? nullptr : std::fopen(path.c_str(), "rb");
    if (file == nullptr)
        return -1;
    std::fseek(file, 0, SEEK_END);
    long size = std::ftell(file);
    std::fclose(file);
    return size;
}

} // namespace

int wmain(int argc, wchar_t** argv) {
    std::string joined, classList, archive;
    bool dump = false;
    bool trial = false;
    for (int i = 1; i < argc; ++i) {
        std::string argument = narrow(argv[i]);
        joined += (i > 1 ? "|" : "") + argument;
        dump = dump || argument == "-Xshare:dump";
        trial = trial || argument == "-Xshare:on";
        if (classList.empty())
            classList = valueOf(argument, "-XX:SharedClassListFile=");
        if (archive.empty())
            archive = valueOf(argument, "-XX:SharedArchiveFile=");
    }
    if (const char* record = std::getenv("FAKE_JVM_RECORD"))
        if (FILE* file = std::fopen(record, "ab")) {
            std::fprintf(file, "%s %s\n", trial ? "trial" : "dump", joined.c_str());
            std::fclose(file);
        }
    if (trial)
        return fileSize(archive) == 4096 ? 0 : 1;
    if (!dump || !nonEmptyFile(classList) || archive.empty())
        return 1;
    FILE* file = std::fopen(archive.c_str(), "wb");
    if (file == nullptr)
        return 1;
    bool fail = std::getenv("FAKE_JAVA_FAIL") != nullptr;
    std::string bytes(fail ? 2048 : 4096, 'A');
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
    return fail ? 1 : 0;
}
