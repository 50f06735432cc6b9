// The class-data cache on Windows: %LOCALAPPDATA%\JavaLauncher\ClassData. The VM reads its
// option text in the ANSI code page, so a folder whose name does not survive that conversion
// is not used. The archive job is this executable again, marked by an environment variable
// (all arguments belong to the Java program), detached and below normal priority.

#include "vmhost/class_data_cache.h"

#include "support/paths.h"
#include "support/process_environment.h"
#include "support/unique_resource.h"
#include "support/wide_text.h"
#include "vmhost/class_path.h"

#include <algorithm>
#include <cwchar>
#include <windows.h>

namespace {

constexpr const wchar_t* jobMark = L"JL_CLASS_DATA_JOB";

struct FileHandleTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE file) { CloseHandle(file); }
};

uint64_t joined(DWORD high, DWORD low) {
    return (static_cast<uint64_t>(high) << 32) | low;
}

struct ProcessHandleTraits {
    static HANDLE invalid() { return nullptr; }
    static void release(HANDLE process) { CloseHandle(process); }
};
using ProcessHandle = UniqueResource<ProcessHandleTraits>;

// This process's environment block with the job's mark set to jobFile.
std::wstring markedEnvironment(const std::string& jobFile) {
    const std::wstring prefix = std::wstring(jobMark) + L"=";
    std::wstring block;
    if (wchar_t* strings = GetEnvironmentStringsW()) {
        for (const wchar_t* entry = strings; *entry; entry += wcslen(entry) + 1)
            if (_wcsnicmp(entry, prefix.c_str(), prefix.size()) != 0)
                block.append(entry).push_back(L'\0');
        FreeEnvironmentStringsW(strings);
    }
    block.append(prefix + toWide(jobFile)).push_back(L'\0');
    return block;
}

// Starts a process that inherits no handles; its handle, or none.
ProcessHandle startProcess(const std::wstring& program, std::wstring commandLine, DWORD flags,
                           std::wstring* environment, const std::wstring& folder) {
    STARTUPINFOW startup{};
    startup.cb = sizeof(startup);
    // No standard handles at all: nothing of the build reaches the program's output files.
    startup.dwFlags = STARTF_USESTDHANDLES;
    PROCESS_INFORMATION process{};
    if (!CreateProcessW(program.c_str(), commandLine.data(), nullptr, nullptr, FALSE,
                        flags | CREATE_UNICODE_ENVIRONMENT,
                        environment ? environment->data() : nullptr,
                        folder.empty() ? nullptr : folder.c_str(), &startup, &process))
        return ProcessHandle(nullptr);
    CloseHandle(process.hThread);
    return ProcessHandle(process.hProcess);
}

// A folder that is no junction or link: what the cache removes there is its own.
bool isPlainFolder(const std::string& folder) {
    DWORD attributes = GetFileAttributesW(toWide(folder).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           (attributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0;
}

class WindowsClassList : public ClassListFile {
  public:
    WindowsClassList(UniqueResource<FileHandleTraits> file, std::string path)
        : file_(std::move(file)), path_(std::move(path)) {}
    std::string vmName() const override { return path_; }

  private:
    UniqueResource<FileHandleTraits> file_;
    std::string path_;
};

bool survivesOptionText(const std::string& text) {
    std::wstring wide = toWide(text);
    return fromAnsi(toAnsi(wide)) == wide;
}

class WindowsClassDataFiles : public ClassDataFiles {
  public:
    std::string cacheRoot() override {
        std::string base;
        if (!readEnvironmentVariable("LOCALAPPDATA", base) || !isAbsolutePath(base))
            return {};
        while (!base.empty() && base.back() == '\\')
            base.pop_back();
        std::string root = base + "\\JavaLauncher\\ClassData";
        return survivesOptionText(root) ? root : std::string();
    }

    std::string readText(const std::string& path) override {
        UniqueResource<FileHandleTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_READ,
                                                          FILE_SHARE_READ | FILE_SHARE_WRITE,
                                                          nullptr, OPEN_EXISTING, 0, nullptr));
        std::string text;
        char buffer[4096];
        DWORD count = 0;
        // A release file is a few kilobytes; anything far larger is not one.
        while (file && text.size() < (1u << 20) &&
               ReadFile(file.get(), buffer, sizeof(buffer), &count, nullptr) && count > 0)
            text.append(buffer, count);
        return text;
    }

    bool readRange(const std::string& path, uint64_t offset, size_t length,
                   std::string& bytes) override {
        UniqueResource<FileHandleTraits> file(
            CreateFileW(toWide(path).c_str(), GENERIC_READ,
                        FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                        OPEN_EXISTING, 0, nullptr));
        LARGE_INTEGER position{};
        position.QuadPart = static_cast<LONGLONG>(offset);
        if (!file || !SetFilePointerEx(file.get(), position, nullptr, FILE_BEGIN))
            return false;
        bytes.assign(length, '\0');
        size_t done = 0;
        DWORD count = 0;
        while (done < length &&
               ReadFile(file.get(), &bytes[done],
                        static_cast<DWORD>(std::min<size_t>(length - done, 1u << 30)), &count,
                        nullptr) &&
               count > 0)
            done += count;
        return done == length;
    }

    bool stamp(const std::string& path, FileStamp& stamp) override {
        WIN32_FILE_ATTRIBUTE_DATA data{};
        if (!GetFileAttributesExW(toWide(path).c_str(), GetFileExInfoStandard, &data))
            return false;
        stamp.size = joined(data.nFileSizeHigh, data.nFileSizeLow);
        stamp.modified =
            joined(data.ftLastWriteTime.dwHighDateTime, data.ftLastWriteTime.dwLowDateTime);
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        uint64_t current = joined(now.dwHighDateTime, now.dwLowDateTime);
        // FILETIME counts 100-nanosecond units.
        stamp.ageSeconds = current > stamp.modified ? (current - stamp.modified) / 10000000 : 0;
        stamp.regularFile = (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
        stamp.folder = !stamp.regularFile;
        stamp.link = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
        return true;
    }

    std::vector<std::string> list(const std::string& folder) override {
        if (!isPlainFolder(folder))
            return {};
        return listMatchingFiles(folder + "\\*");
    }

    bool makeFolders(const std::string& folder) override {
        createFolderTree(folder + "\\archive");
        DWORD attributes = GetFileAttributesW(toWide(folder).c_str());
        return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
    }

    std::shared_ptr<ClassListFile> createClassList(const std::string& path) override {
        // Open without sharing deletion: while the start runs, neither the file nor its
        // folder can be removed, so the VM always finds it.
        UniqueResource<FileHandleTraits> file(
            CreateFileW(toWide(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                        nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return nullptr;
        // Not make_shared: without type information it links the library's tag comparison.
        return std::shared_ptr<ClassListFile>(new WindowsClassList(std::move(file), path));
    }

    uint64_t freeSpace(const std::string& folder) override {
        ULARGE_INTEGER available{};
        if (!GetDiskFreeSpaceExW(toWide(folder).c_str(), &available, nullptr, nullptr))
            return 0;
        return available.QuadPart;
    }

    bool move(const std::string& from, const std::string& to) override {
        // No MOVEFILE_REPLACE_EXISTING: a VM may have the published archive mapped.
        return MoveFileExW(toWide(from).c_str(), toWide(to).c_str(), 0) != 0;
    }

    void remove(const std::string& path) override {
        if (isPlainFolder(path.substr(0, path.rfind('\\'))))
            DeleteFileW(toWide(path).c_str());
    }

    bool writeNew(const std::string& path, const std::string& text) override {
        UniqueResource<FileHandleTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE, 0,
                                                          nullptr, CREATE_NEW,
                                                          FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file)
            return false;
        DWORD written = 0;
        if (WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                      nullptr) &&
            written == text.size())
            return true;
        file.reset();
        DeleteFileW(toWide(path).c_str());
        return false;
    }

    bool rewrite(const std::string& path, const std::string& text) override {
        UniqueResource<FileHandleTraits> file(CreateFileW(toWide(path).c_str(), GENERIC_WRITE,
                                                          FILE_SHARE_READ, nullptr,
                                                          TRUNCATE_EXISTING, 0, nullptr));
        DWORD written = 0;
        return file &&
               WriteFile(file.get(), text.data(), static_cast<DWORD>(text.size()), &written,
                         nullptr) &&
               written == text.size();
    }

    bool processAlive(uint64_t processId) override {
        if (processId == 0 || processId > 0xffffffffu)
            return false;
        ProcessHandle process(OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(processId)));
        if (!process)
            return GetLastError() == ERROR_ACCESS_DENIED;
        return WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT;
    }

    uint64_t currentTime() override {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        // FILETIME counts 100-nanosecond units from 1601.
        uint64_t units = joined(now.dwHighDateTime, now.dwLowDateTime);
        const uint64_t from1601To1970 = 116444736000000000u;
        return units > from1601To1970 ? (units - from1601To1970) / 10000000 : 0;
    }

    std::string variable(const char* name) override {
        std::string value;
        return readEnvironmentVariable(name, value) ? value : std::string();
    }

    bool startJob(const std::string& jobFile, uint64_t& processId) override {
        std::string self;
        if (!modulePath(self))
            return false;
        std::wstring environment = markedEnvironment(jobFile);
        // The job's working folder is the cache's: it must not keep the program's folder in use.
        std::string folder = jobFile.substr(0, jobFile.rfind('\\'));
        ProcessHandle process =
            startProcess(toWide(self), toWide(windowsCommandLine({self})),
                         DETACHED_PROCESS | CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS,
                         &environment, toWide(folder));
        processId = process ? GetProcessId(process.get()) : 0;
        return process.valid();
    }

    int run(const std::vector<std::string>& command) override {
        ProcessHandle process =
            startProcess(toWide(command[0]), toWide(windowsCommandLine(command)),
                         CREATE_NO_WINDOW | BELOW_NORMAL_PRIORITY_CLASS, nullptr, L"");
        DWORD exitCode = 0;
        if (!process || WaitForSingleObject(process.get(), INFINITE) != WAIT_OBJECT_0 ||
            !GetExitCodeProcess(process.get(), &exitCode))
            return -1;
        return static_cast<int>(exitCode);
    }

    std::string uniqueName() override {
        FILETIME now{};
        GetSystemTimeAsFileTime(&now);
        return std::to_string(GetCurrentProcessId()) + "-" +
               std::to_string(joined(now.dwHighDateTime, now.dwLowDateTime));
    }

    char separator() override { return '\\'; }
};

// Built before main starts a thread, so that a first use needs no guard.
WindowsClassDataFiles systemFiles;

} // namespace

ClassDataFiles& systemClassDataFiles() {
    return systemFiles;
}

void runArchiveJobIfMarked() {
    std::string jobFile;
    if (!readEnvironmentVariable("JL_CLASS_DATA_JOB", jobFile))
        return;
    // The job's own children (the java command) are no jobs, and take no options from the
    // environment: the dump command carries the ones the program's VM had.
    SetEnvironmentVariableW(jobMark, nullptr);
    for (const char* name : buildIgnoredVariables)
        SetEnvironmentVariableW(toWide(name).c_str(), nullptr);
    runArchiveJob(jobFile, systemClassDataFiles());
    ExitProcess(0);
}
