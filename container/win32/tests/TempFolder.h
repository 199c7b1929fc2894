// A fresh folder for one test, removed with everything in it afterwards.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>

class TempFolder {
public:
    TempFolder()
    {
        std::string templ = (std::filesystem::temp_directory_path() / "win32-test-XXXXXX").string();
        const char* made = ::mkdtemp(templ.data());
        EXPECT_NE(made, nullptr);
        path_ = templ;
    }
    ~TempFolder()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path_, ignored);
    }
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    // The path of name inside the folder, narrow and wide (names in tests are ASCII).
    std::string Path(const std::string& name) const { return path_ + "/" + name; }
    std::wstring WidePath(const std::string& name) const { return Widen(Path(name)); }
    const std::string& Root() const { return path_; }

    static std::wstring Widen(const std::string& ascii) { return std::wstring(ascii.begin(), ascii.end()); }

private:
    std::string path_;
};
