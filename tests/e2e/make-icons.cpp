// Writes the folder of icon files that the end-to-end run scans: four icon
// files, a cursor, a library of five icons and a text file, ten icons in
// all.

#include "fixtures/Fixtures.h"

#include <cstdio>
#include <string>

using namespace orbisk::test;

int main(int argc, char** argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s FOLDER\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    bool ok = true;
    for (int i = 0; i < 4; ++i)
        ok = ok && WriteFile(dir + "/icon" + std::to_string(i) + ".ico",
                             IcoFile({ ImageSpec { .pixel = Pattern(i) }, ImageSpec { .width = 16, .bits = 8 } }));
    ok = ok && WriteFile(dir + "/pointer.cur", CurFile({ ImageSpec { .bits = 4 } }, 3, 3));
    ok = ok && WriteFile(dir + "/tools.dll", PeFile(Groups(5, { ImageSpec {} })));
    ok = ok && WriteFile(dir + "/readme.txt", { 'n', 'o', ' ', 'i', 'c', 'o', 'n', 's' });
    if (!ok) {
        std::fprintf(stderr, "cannot write the icon files into %s\n", dir.c_str());
        return 1;
    }
    return 0;
}
