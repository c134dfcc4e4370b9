#pragma once

// The synthetic corpus of the extraction benchmarks: programs and libraries
// of 2 to 200 icon groups (most of them small, as in a real program folder),
// icon files, and files that hold no icons.

#include "fixtures/Fixtures.h"

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <unistd.h>

namespace orbisk::bench {

using namespace orbisk::test;

constexpr int kPeFiles = 500;
constexpr int kIconFiles = 50;
constexpr int kOtherFiles = 50;
constexpr int kVariants = 8;

struct Corpus {
    std::string dir;
    std::vector<std::string> iconFiles; // programs, libraries, icon files
    std::vector<std::string> otherFiles;
    uint64_t iconBytes = 0;
    uint64_t otherBytes = 0;
};

// Images made once and shared by many groups, so that building the corpus
// takes seconds: 16, 32 and 48 pixel DIBs and a 256 pixel PNG.
inline std::vector<std::vector<ImageSpec>> MakeVariants()
{
    std::vector<std::vector<ImageSpec>> variants;
    for (int v = 0; v < kVariants; ++v) {
        std::vector<ImageSpec> images;
        for (int size : { 16, 32, 48 }) {
            ImageSpec s { .width = size, .height = size, .bits = 32, .pixel = Pattern(v) };
            s.encoded = std::make_shared<Bytes>(IconImage(s));
            images.push_back(s);
        }
        ImageSpec png { .width = 256, .height = 256, .pixel = Pattern(v), .png = true };
        png.encoded = std::make_shared<Bytes>(IconImage(png));
        images.push_back(png);
        variants.push_back(images);
    }
    return variants;
}

// A program of about `bytes` bytes: groups of the variants in turn. Returns
// how many groups it holds, 0 when it cannot be written.
inline int WriteLargeProgram(const std::string& path, uint64_t bytes)
{
    const auto variants = MakeVariants();
    uint64_t perGroup = 0;
    for (const ImageSpec& s : variants[0])
        perGroup += s.encoded->size();
    const int count = int(bytes / perGroup);
    std::vector<GroupSpec> groups;
    for (int g = 0; g < count; ++g)
        groups.push_back(GroupSpec { variants[std::size_t(g % kVariants)] });
    if (!WriteFile(path, PeFile(groups)))
        return 0;
    return count;
}

inline Corpus MakeCorpus()
{
    Corpus c;
    c.dir = (std::filesystem::temp_directory_path() / ("orbisk-bench-corpus-" + std::to_string(::getpid()))).string();
    std::filesystem::create_directories(c.dir);
    const auto variants = MakeVariants();
    auto put = [&](const std::string& name, const Bytes& bytes, bool icons) {
        const std::string path = c.dir + "/" + name;
        if (!WriteFile(path, bytes)) {
            std::fprintf(stderr, "cannot write %s\n", path.c_str());
            std::exit(1);
        }
        (icons ? c.iconFiles : c.otherFiles).push_back(path);
        (icons ? c.iconBytes : c.otherBytes) += bytes.size();
    };
    for (int f = 0; f < kPeFiles; ++f) {
        // 2 to 200 groups, most files small as in a real program folder.
        const double t = double(f) / (kPeFiles - 1);
        const int count = 2 + int(198 * t * t * t);
        std::vector<GroupSpec> groups;
        for (int g = 0; g < count; ++g)
            groups.push_back(GroupSpec { variants[std::size_t((f + g) % kVariants)] });
        put("program" + std::to_string(f) + (f % 2 ? ".dll" : ".exe"),
            PeFile(groups, f % 3 ? PeKind::Pe32 : PeKind::Pe32Plus), true);
    }
    for (int f = 0; f < kIconFiles; ++f)
        put("icon" + std::to_string(f) + ".ico", IcoFile(variants[std::size_t(f % kVariants)]), true);
    for (int f = 0; f < kOtherFiles; ++f) {
        Bytes other(std::size_t(1) << 20);
        for (std::size_t i = 0; i < other.size(); ++i)
            other[i] = uint8_t(i * 2654435761u >> 13);
        if (f % 2)
            other[0] = 'M', other[1] = 'Z'; // a DOS program: MZ without a PE or NE header
        put("other" + std::to_string(f) + ".dat", other, false);
    }
    return c;
}

} // namespace orbisk::bench
