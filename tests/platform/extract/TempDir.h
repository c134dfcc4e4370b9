#pragma once

#include "fixtures/Fixtures.h"

#include <cstdlib>
#include <filesystem>
#include <string>

namespace orbisk::test {

// A fresh folder under /tmp, removed with everything in it at the end.
class TempDir {
public:
    TempDir()
    {
        std::string pattern = (std::filesystem::temp_directory_path() / "orbisk-extract-XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) ? pattern : std::string();
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // Writes bytes as a file of this folder and returns its path.
    std::string Write(const std::string& name, const Bytes& bytes) const
    {
        WriteFile(File(name), bytes);
        return File(name);
    }

private:
    std::string path_;
};

} // namespace orbisk::test
