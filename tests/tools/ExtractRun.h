#pragma once

// orbisk-extract run as a user runs it, in a scratch folder of its own for
// each test: what it wrote to stdout and stderr and its exit status.

#include "fixtures/TempDir.h"

#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>

#include <sys/wait.h>
#include <unistd.h>

namespace orbisk::test {

struct ToolRun {
    int status = -1;
    std::string out;
    std::string err;
};

inline std::string Quote(const std::string& s) { return "'" + s + "'"; }

class ExtractTest : public testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(tmp_.Path().empty());
        dir_ = tmp_.Path();
    }

    // Runs orbisk-extract with arguments already quoted.
    ToolRun Run(const std::string& args) const
    {
        ToolRun r;
        const std::string err = F("stderr");
        FILE* out = ::popen((std::string(ORBISK_EXTRACT) + " " + args + " 2>" + Quote(err)).c_str(), "r");
        if (!out)
            return r;
        std::array<char, 4096> buffer {};
        while (std::size_t n = std::fread(buffer.data(), 1, buffer.size(), out))
            r.out.append(buffer.data(), n);
        const int raw = ::pclose(out);
        r.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
        std::ifstream in(err);
        std::stringstream text;
        text << in.rdbuf();
        r.err = text.str();
        return r;
    }
    std::string F(const std::string& name) const { return dir_ + "/" + name; }

    orbisk::test::TempDir tmp_ { "orbisk-extract" };
    std::string dir_;
};

} // namespace orbisk::test
