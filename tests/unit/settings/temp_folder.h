#pragma once

// A fresh folder below the system's temporary folder, removed with everything in it.

#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <string>

class TempFolder {
  public:
    TempFolder() {
        static std::atomic<int> counter{0};
        auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        path_ = std::filesystem::temp_directory_path() /
                ("launcher-test-" + std::to_string(stamp) + "-" + std::to_string(counter++));
        std::filesystem::create_directories(path_);
    }
    ~TempFolder() {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The UTF-8 path of name inside the folder (name may hold sub-folders, "/" separated).
    std::string file(const std::string& name) const {
        return (path_ / std::filesystem::u8path(name)).make_preferred().u8string();
    }
    std::string path() const { return path_.u8string(); }

    static void write(const std::string& path, const std::string& bytes) {
        std::ofstream out(std::filesystem::u8path(path), std::ios::binary | std::ios::trunc);
        out << bytes;
    }
    static std::string read(const std::string& path) {
        std::ifstream in(std::filesystem::u8path(path), std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    static bool exists(const std::string& path) {
        return std::filesystem::exists(std::filesystem::u8path(path));
    }

  private:
    std::filesystem::path path_;
};
