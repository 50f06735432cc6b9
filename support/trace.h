#pragma once

// The diagnostic trace of one start, off unless the environment variable JL_TRACE is set:
// "1" writes to standard error when the process has one, else to <executable>.trace.log in
// a folder of the user's own (on POSIX the runtime folder $XDG_RUNTIME_DIR, else the cache
// folder, else the temporary folder; on Windows the user's temporary folder); any other value
// names the file to write (appended to). Each line starts with the milliseconds since the
// process started. A trace that cannot be opened at once, without following a link and
// without waiting (a FIFO without a reader), or that cannot be written, switches itself off:
// it never stops or slows the start. First thread only.

#include <string>

// JL_TRACE is set and not empty.
bool isTraceRequested();
// Reads JL_TRACE and opens the trace; executablePath names the default file. Call once,
// before anything is traced; without JL_TRACE nothing is opened.
void startTrace(const std::string& executablePath);
// True while the trace is open; callers test it before building a line.
bool isTracing();
// Writes one line (a newline is added); nothing when the trace is off.
void traceLine(const std::string& line);
// Writes and closes the trace; later lines are dropped.
void stopTrace();
// The start of a line: "[", the milliseconds with three decimals right-aligned in ten
// places, " ms] ".
std::string traceStamp(double milliseconds);

// The OS side.
struct TraceTarget {
    bool toStandardError = false;
    std::string file; // when not to standard error
    // The fixed default name, which someone else may have planted in a shared folder: only a
    // plain file of the user's own with no other name is appended to.
    bool isDefaultFile = false;
};
// Where JL_TRACE points; false when it is unset or empty.
bool traceTarget(const std::string& setting, const std::string& executablePath,
                 bool hasStandardError, const std::string& defaultFolder, TraceTarget& target);
bool readTraceSetting(std::string& setting);
bool processHasStandardError();
// The folder of the default trace file, ending in the separator; empty when unknown.
std::string defaultTraceFolder();
double millisecondsSinceProcessStart();
// Opens the target for appending, at once and without following a link; false when that
// cannot be done.
bool openTraceOutput(const TraceTarget& target);
// One write of the whole text; false when it did not all go out.
bool writeTraceOutput(const std::string& text);
void closeTraceOutput();
