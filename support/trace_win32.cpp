#include "support/trace.h"

#include "support/unique_resource.h"
#include "support/wide_text.h"

#include <cstdint>
#include <windows.h>

namespace {

struct FileTraits {
    static HANDLE invalid() { return INVALID_HANDLE_VALUE; }
    static void release(HANDLE file) { CloseHandle(file); }
};

UniqueResource<FileTraits> traceFile;
HANDLE traceHandle = INVALID_HANDLE_VALUE; // standard error, or traceFile's handle

uint64_t fileTimeValue(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// The process's age in milliseconds now, to the system clock's precision.
double processAgeMilliseconds() {
    FILETIME creation{}, exit{}, kernel{}, user{}, now{};
    if (!GetProcessTimes(GetCurrentProcess(), &creation, &exit, &kernel, &user))
        return 0;
    GetSystemTimeAsFileTime(&now);
    return static_cast<double>(fileTimeValue(now) - fileTimeValue(creation)) / 10000.0;
}

double counterMilliseconds() {
    LARGE_INTEGER count{}, frequency{};
    QueryPerformanceCounter(&count);
    QueryPerformanceFrequency(&frequency);
    return static_cast<double>(count.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

// The process's start on the fine counter: its age taken once from the coarse system clock,
// before main starts a thread, so that no first use needs a guard.
const double startCounterMilliseconds = counterMilliseconds() - processAgeMilliseconds();

} // namespace

bool readTraceSetting(std::string& setting) {
    wchar_t buffer[1024];
    DWORD length = GetEnvironmentVariableW(L"JL_TRACE", buffer, 1024);
    if (length == 0 || length >= 1024)
        return false;
    setting = toUtf8(buffer, length);
    return true;
}

bool processHasStandardError() {
    HANDLE error = GetStdHandle(STD_ERROR_HANDLE);
    return error != nullptr && error != INVALID_HANDLE_VALUE &&
           GetFileType(error) != FILE_TYPE_UNKNOWN;
}

std::string defaultTraceFolder() {
    // The user's own temporary folder.
    wchar_t buffer[MAX_PATH + 1];
    DWORD length = GetTempPathW(MAX_PATH + 1, buffer);
    if (length == 0 || length > MAX_PATH)
        return {};
    return toUtf8(buffer, length);
}

double millisecondsSinceProcessStart() {
    return counterMilliseconds() - startCounterMilliseconds;
}

bool openTraceOutput(const TraceTarget& target) {
    if (target.toStandardError) {
        traceHandle = GetStdHandle(STD_ERROR_HANDLE);
        return true;
    }
    // FILE_FLAG_OPEN_REPARSE_POINT opens a link itself, which is then refused: no link is
    // followed. A pipe is refused too, since a write to it waits for its reader.
    traceFile.reset(CreateFileW(toWide(target.file).c_str(), FILE_APPEND_DATA,
                                FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    DWORD type = traceFile ? GetFileType(traceFile.get()) : FILE_TYPE_UNKNOWN;
    if (type == FILE_TYPE_DISK &&
        (!GetFileInformationByHandle(traceFile.get(), &information) ||
         (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0 ||
         (target.isDefaultFile && information.nNumberOfLinks != 1)))
        traceFile.reset();
    else if (type != FILE_TYPE_DISK && type != FILE_TYPE_CHAR)
        traceFile.reset();
    traceHandle = traceFile.get();
    return traceFile.valid();
}

bool writeTraceOutput(const std::string& text) {
    DWORD written = 0;
    return WriteFile(traceHandle, text.data(), static_cast<DWORD>(text.size()), &written,
                     nullptr) &&
           written == text.size();
}

void closeTraceOutput() {
    traceFile.reset();
    traceHandle = INVALID_HANDLE_VALUE;
}
