#pragma once
// A fresh temporary folder per test, removed afterwards.

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <stdexcept>
#include <string>

namespace testing_support {

class TempDir {
public:
    TempDir()
    {
        // A random name, taken only if it is new: creating a folder is atomic.
        std::random_device random;
        for (int attempt = 0; path_.empty(); ++attempt) {
            auto candidate = std::filesystem::temp_directory_path() / ("tolmarin-test-" + std::to_string(random()));
            if (std::filesystem::create_directory(candidate))
                path_ = candidate;
            else if (attempt == 100)
                throw std::runtime_error("cannot make a temporary folder");
        }
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete; // and so not assignable either

    const std::filesystem::path& path() const { return path_; }
    std::string str() const { return path_.string(); }
    std::string file(const std::string& name) const { return (path_ / name).string(); }
    bool exists(const std::string& name) const { return std::filesystem::exists(path_ / name); }
    void write(const std::string& name, const std::string& bytes) const
    {
        std::ofstream(path_ / name, std::ios::binary) << bytes;
    }
    std::string read(const std::string& name) const
    {
        std::ostringstream bytes;
        bytes << std::ifstream(path_ / name, std::ios::binary).rdbuf();
        return bytes.str();
    }

private:
    std::filesystem::path path_;
};

} // namespace testing_support
