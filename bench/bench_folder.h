#pragma once

// Files for the benchmarks: a temporary folder tree that its owner removes, and the data
// files kept in bench/data.

#include <string>

class BenchFolder {
  public:
    // A new, empty folder below the system's temporary folder; its name starts with prefix.
    explicit BenchFolder(const std::string& prefix);
    ~BenchFolder();
    BenchFolder(const BenchFolder&) = delete;
    BenchFolder& operator=(const BenchFolder&) = delete;

    // The full path of a relative one ("app/tool.ini").
    std::string path(const std::string& relative) const;
    // Writes a file, making its folders on the way; returns its full path.
    std::string write(const std::string& relative, const std::string& text = std::string());

  private:
    std::string root_;
};

// The content of a file of bench/data.
std::string benchData(const std::string& name);
