#include "bench/bench_folder.h"

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>

BenchFolder::BenchFolder(const std::string& prefix) {
    std::string pattern = (std::filesystem::temp_directory_path() / (prefix + "-XXXXXX")).string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("cannot make a folder like " + pattern);
    root_ = pattern;
}

BenchFolder::~BenchFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root_, ignored);
}

std::string BenchFolder::path(const std::string& relative) const {
    return root_ + "/" + relative;
}

std::string BenchFolder::write(const std::string& relative, const std::string& text) {
    std::string full = path(relative);
    std::filesystem::create_directories(std::filesystem::path(full).parent_path());
    std::ofstream file(full, std::ios::binary);
    file << text;
    if (!file)
        throw std::runtime_error("cannot write " + full);
    return full;
}

std::string benchData(const std::string& name) {
    std::ifstream file(std::string(LAUNCHER_BENCH_DATA_DIR) + "/" + name, std::ios::binary);
    if (!file)
        throw std::runtime_error("missing bench data file " + name);
    return std::string(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}
