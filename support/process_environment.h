#pragma once

// The launcher's own process as the Java program will see it: the arguments for main, the
// working folder, and the pieces of the native library path handed to the VM and of the
// program search path (launch/run_environment.h puts them together for the chosen runtime).
// All calls run on the first thread before the VM starts; the changes stay for the life of
// the process.
//
// The two platforms differ only in these points:
//   list separator            Windows ';'     POSIX ':'
//   program search variable   "Path"          "PATH"
//   library search variable   "Path"          "LD_LIBRARY_PATH"
//   jvmPath                   home\bin\server\jvm.dll   home/lib/server/libjvm.so
//   runtime program folder    home\bin        home/bin
//   runtime library folder    home\lib        home/lib
// JL_JVM_HOME is jvmPath without its last three components on both (four for a Java 8 home on
// POSIX, whose VM libraries lie below lib/amd64/). The program search path
// gets the runtime's program folder: on POSIX that is where its tools are, while its libraries
// find each other through their own run path and must not leak into child processes through
// LD_LIBRARY_PATH.

#include "support/paths.h"

#include <functional>
#include <string>
#include <vector>

// The command line's arguments, the program path dropped, appended to arguments.
// Windows: GetCommandLineW, trimmed of white space, through splitArguments. POSIX: the
// arguments main() received (support/process_arguments.h), as the system handed them over.
void parseCommandLine(std::vector<std::string>& arguments);
// splitArguments of a whole command line, then its first element (the program) dropped.
void splitCommandLine(const std::string& commandLine, std::vector<std::string>& arguments);
// Appends the arguments of text: only blanks separate, a double quote groups only at the
// start of an argument, no escapes. A text that begins with a blank gives an empty first
// argument; "" gives an empty argument; an unclosed quote takes the rest of the text.
void splitArguments(const std::string& text, std::vector<std::string>& arguments);

// Looks a variable up; false when it is not defined.
using VariableLookup = std::function<bool(const std::string& name, std::string& value)>;
// Replaces every %NAME% whose NAME is defined with its value. A reference that cannot be
// expanded (undefined or empty name, as in "%%") is copied as written, both percent signs
// included, and the scan goes on behind it; a percent sign without a closing one is copied.
std::string expandReferences(const std::string& text, const VariableLookup& lookup);
// Expands %NAME% from the process environment; unknown names stay as written. Windows:
// ExpandEnvironmentStringsW (names ignore case; on failure the text stays unchanged).
// POSIX: expandReferences with the environment (names compare exactly).
void expandEnvironment(std::string& text);

// The path without its last n components: n times, cut before the last separator; a path
// without separator stays unchanged.
std::string stripComponents(const std::string& path, int n, PathStyle style = hostPathStyle());

// The runtime's home folder (no trailing separator) of the VM library at jvmPath.
std::string runtimeHome(const std::string& jvmPath, PathStyle style = hostPathStyle());

// How a platform lays out its environment (see the table above).
struct EnvironmentStyle {
    PathStyle paths;
    char listSeparator;
    const char* searchVariable;
    const char* libraryVariable;
};
extern const EnvironmentStyle windowsEnvironment;
extern const EnvironmentStyle posixEnvironment;
const EnvironmentStyle& hostEnvironmentStyle();

// "Library Path" completed before expansion: the setting, the launcher's folder, ".", a
// reference to the library search variable (only when it is defined) and the runtime's
// library folder, joined by the list separator.
std::string completeLibraryPath(const std::string& libraryPath, const std::string& launcherFolder,
                                const std::string& jvmPath, bool libraryVariableDefined,
                                const EnvironmentStyle& style);
// The program search path before expansion: "System Path" (with a closing list separator), a
// reference to the search variable (only when it is defined) and the runtime's program folder.
std::string completeSearchPath(const std::string& systemPath, const std::string& jvmPath,
                               bool searchVariableDefined, const EnvironmentStyle& style);

// Makes the launcher's folder the current folder; failures are passed over.
void setWorkingFolder();

// The OS side of the above.
bool readEnvironmentVariable(const std::string& name, std::string& value);
void writeEnvironmentVariable(const std::string& name, const std::string& value);
void setCurrentFolder(const std::string& folder);
// Option text as the VM reads it: the thread's ANSI code page on Windows, UTF-8 on POSIX.
std::string narrowOptionText(const std::string& utf8);
