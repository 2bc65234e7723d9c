// A private folder that lives as long as the object and goes with everything
// in it: the one way the tests, the fuzzer and their helpers get a place to
// write. Built on the standard library alone, so it serves on Windows too.
#pragma once

#include <chrono>
#include <filesystem>
#include <random>
#include <string>
#include <system_error>
#include <vector>

class TempFolder {
public:
    // Under base, or the system's temporary folder when base is empty.
    explicit TempFolder(const std::string &base = "")
    {
        namespace fs = std::filesystem;
        std::error_code failed;
        fs::path under = base.empty() ? fs::temp_directory_path(failed) : fs::path(base);
        std::mt19937_64 names((unsigned long long)std::chrono::steady_clock::now().time_since_epoch().count()
                              ^ (unsigned long long)(size_t)this);
        for (int attempt = 0; attempt < 100 && dir.empty() && !failed; attempt++) {
            fs::path candidate = under / ("verdalo-" + std::to_string(names() % 1000000000ULL));
            if (fs::create_directory(candidate, failed))
                dir = candidate.string();
        }
    }
    ~TempFolder()
    {
        std::error_code ignored;
        if (!dir.empty())
            std::filesystem::remove_all(dir, ignored);
    }
    TempFolder(const TempFolder &) = delete;
    TempFolder &operator=(const TempFolder &) = delete;

    std::string dir;  // empty when no folder could be made

    std::string path(const std::string &name) const { return dir + "/" + name; }

    std::vector<std::string> filesInDir() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        return names;
    }
};
