// Test tool standing in for a pair product: records the arguments it was started with (its
// argv[0] included) and its working folder as JSON in "<own path>.record", then ends with
// the exit status in PAIR_RECORDER_EXIT_CODE (0 when unset).

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

std::string jsonString(const std::string& text) {
    std::string quoted = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            quoted += '\\';
            quoted += static_cast<char>(c);
        } else if (c < 0x20) {
            char escape[8];
            std::snprintf(escape, sizeof escape, "\\u%04x", c);
            quoted += escape;
        } else {
            quoted += static_cast<char>(c);
        }
    }
    return quoted + "\"";
}

std::string ownPath() {
    char path[4096];
    ssize_t length = readlink("/proc/self/exe", path, sizeof path);
    return length > 0 ? std::string(path, static_cast<size_t>(length)) : std::string();
}

} // namespace

int main(int argc, char** argv) {
    std::string json = "{\"arguments\": [";
    for (int i = 0; i < argc; ++i)
        json += (i ? ", " : "") + jsonString(argv[i]);
    char folder[4096];
    json += "], \"folder\": " + jsonString(getcwd(folder, sizeof folder) ? folder : "") + "}\n";
    // Written aside and renamed, so a reader never sees half a record.
    std::string record = ownPath() + ".record";
    std::string partial = record + ".partial";
    FILE* file = std::fopen(partial.c_str(), "wb");
    if (!file)
        return 1;
    std::fwrite(json.data(), 1, json.size(), file);
    std::fclose(file);
    std::rename(partial.c_str(), record.c_str());
    const char* code = std::getenv("PAIR_RECORDER_EXIT_CODE");
    return code ? std::atoi(code) : 0;
}
