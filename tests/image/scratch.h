// A private temporary folder per test, and whole-file helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

using Bytes = std::vector<unsigned char>;

class Scratch : public ::testing::Test {
protected:
    std::string dir;

    void SetUp() override
    {
        const char *tmp = getenv("TMPDIR");
        std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/verdalo-tga-XXXXXX";
        std::vector<char> name(pattern.begin(), pattern.end());
        name.push_back('\0');
        ASSERT_NE(mkdtemp(name.data()), nullptr);
        dir = name.data();
    }

    void TearDown() override
    {
        std::error_code ignored;
        std::filesystem::remove_all(dir, ignored);
    }

    std::string path(const std::string &name) const { return dir + "/" + name; }

    std::vector<std::string> filesInDir() const
    {
        std::vector<std::string> names;
        for (const auto &entry : std::filesystem::directory_iterator(dir))
            names.push_back(entry.path().filename().string());
        return names;
    }
};

inline void writeFile(const std::string &path, const Bytes &bytes)
{
    FILE *f = fopen(path.c_str(), "wb");
    ASSERT_NE(f, nullptr) << path;
    if (!bytes.empty()) {
        ASSERT_EQ(fwrite(bytes.data(), 1, bytes.size(), f), bytes.size());
    }
    ASSERT_EQ(fclose(f), 0);
}

inline Bytes readFile(const std::string &path)
{
    Bytes bytes;
    FILE *f = fopen(path.c_str(), "rb");
    if (!f)
        return bytes;
    int c;
    while ((c = fgetc(f)) != EOF)
        bytes.push_back((unsigned char)c);
    fclose(f);
    return bytes;
}

// A heap copy, the way the module expects pixel buffers to be handed over.
inline unsigned char *heapCopy(const Bytes &bytes)
{
    unsigned char *p = (unsigned char *)malloc(bytes.size() ? bytes.size() : 1);
    for (size_t i = 0; i < bytes.size(); i++)
        p[i] = bytes[i];
    return p;
}
