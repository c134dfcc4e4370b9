// Writes the fuzzer's seed corpus into the folder given: one small file of
// each format and depth, built like the tests' files.

#include "fixtures/Fixtures.h"

#include <cstdio>
#include <string>

using namespace orbisk::test;

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: extract_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    int written = 0;
    auto put = [&](const std::string& name, const Bytes& bytes) { written += WriteFile(dir + "/" + name, bytes); };
    const ImageSpec small { .width = 8, .height = 8, .bits = 4 };
    for (int bits : { 1, 4, 8, 16, 24, 32 }) {
        const std::string b = std::to_string(bits);
        put("icon" + b + ".ico", IcoFile({ ImageSpec { .width = 8, .height = 8, .bits = bits } }));
        put("bitmap" + b + ".bmp", BmpFile(ImageSpec { .width = 5, .height = 3, .bits = bits }));
        put("core" + b + ".ico", IcoFile({ ImageSpec { .width = 8, .height = 8, .bits = bits, .coreHeader = true } }));
    }
    put("fields16.ico", IcoFile({ ImageSpec { .width = 4, .height = 4, .bits = 16, .bitfields = true } }));
    put("fields32.bmp", BmpFile(ImageSpec { .width = 4, .height = 4, .bits = 32, .bitfields = true }));
    put("topdown.bmp", BmpFile(ImageSpec { .width = 4, .height = 4, .bits = 8, .topDown = true }));
    put("zeroalpha.ico", IcoFile({ ImageSpec { .width = 8, .height = 8, .zeroAlpha = true } }));
    put("png.ico", IcoFile({ ImageSpec { .width = 8, .height = 8, .pixel = AlphaPattern(1), .png = true }, small }));
    put("cursor.cur", CurFile({ small, ImageSpec { .width = 16, .height = 16, .bits = 1 } }, 3, 4));
    std::vector<GroupSpec> groups = Groups(3, { small, ImageSpec { .width = 4, .height = 4, .bits = 8 } });
    groups[1].name = "MAINICON";
    groups[2].missingIcons = { 77 };
    put("program.exe", PeFile(groups, PeKind::Pe32));
    put("program64.dll", PeFile(groups, PeKind::Pe32Plus));
    put("library.icl", NeFile(groups));
    // Whole groups: DIBs at several depths and a PNG entry; cursor groups.
    const std::vector<ImageSpec> full { ImageSpec { .width = 8, .height = 8, .bits = 1 }, small,
                                        ImageSpec { .width = 12, .height = 12, .pixel = AlphaPattern(2), .png = true },
                                        ImageSpec { .width = 6, .height = 6, .bits = 32, .pixel = AlphaPattern(3) } };
    GroupSpec cursor { { small, ImageSpec { .width = 4, .height = 4, .bits = 24 } } };
    cursor.hotspots = { { 3, 1 }, { 2, 2 } };
    put("groups.dll", PeFile({ GroupSpec { full } }, PeKind::Pe32, nullptr, { cursor, cursor }));
    put("groups.icl", NeFile({ GroupSpec { full } }, nullptr, { cursor }));
    put("full.ico", IcoFile(full));
    std::printf("%d seed files in %s\n", written, dir.c_str());
    return written > 0 ? 0 : 1;
}
