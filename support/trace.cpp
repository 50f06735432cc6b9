#include "support/trace.h"

#include "support/paths.h"

#include <cmath>

namespace {

bool tracing = false;

} // namespace

bool traceTarget(const std::string& setting, const std::string& executablePath,
                 bool hasStandardError, const std::string& defaultFolder, TraceTarget& target) {
    if (setting.empty())
        return false;
    target = TraceTarget();
    if (setting != "1") {
        target.file = setting;
        return true;
    }
    if (hasStandardError) {
        target.toStandardError = true;
        return true;
    }
    std::string name = executablePath.substr(executablePath.rfind(pathSeparator()) + 1);
    target.file = defaultFolder + (name.empty() ? "launcher" : name) + ".trace.log";
    target.isDefaultFile = true;
    return true;
}

bool isTraceRequested() {
    std::string setting;
    return readTraceSetting(setting) && !setting.empty();
}

void startTrace(const std::string& executablePath) {
    std::string setting;
    TraceTarget target;
    if (tracing || !readTraceSetting(setting) ||
        !traceTarget(setting, executablePath, processHasStandardError(), defaultTraceFolder(),
                     target))
        return;
    tracing = openTraceOutput(target);
    if (tracing)
        traceLine("trace of " + executablePath);
}

std::string traceStamp(double milliseconds) {
    // Whole microseconds, written by hand: printf would link a floating-point formatter.
    long long micros = std::llround(std::fmax(milliseconds, 0.0) * 1000.0);
    std::string fraction = std::to_string(micros % 1000);
    std::string number =
        std::to_string(micros / 1000) + "." + std::string(3 - fraction.size(), '0') + fraction;
    if (number.size() < 10)
        number.insert(0, 10 - number.size(), ' ');
    return "[" + number + " ms] ";
}

bool isTracing() {
    return tracing;
}

void traceLine(const std::string& line) {
    if (!tracing)
        return;
    // A trace that fails once is given up, so a full disk costs one failed write, not many.
    if (!writeTraceOutput(traceStamp(millisecondsSinceProcessStart()) + line + "\n"))
        stopTrace();
}

void stopTrace() {
    if (!tracing)
        return;
    tracing = false;
    closeTraceOutput();
}
