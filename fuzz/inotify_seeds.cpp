// Writes the seed corpus of the inotify decoder's fuzzer into the folder
// given: reads of creates, deletes, changes, renames within one read and
// split across two, a folder moved out of sight, and a queue overflow, on
// the descriptors fuzz_inotify watches.

#include "fixtures/InotifyRecords.h"

#include <cstdint>
#include <cstdio>
#include <string>
#include <sys/inotify.h>
#include <vector>

namespace {

struct Record {
    int wd;
    uint32_t mask;
    uint32_t cookie;
    std::string name;
};

// The first byte is the number of records per read less one; the second
// asks for renames.
std::vector<char> Input(uint8_t perRead, std::initializer_list<Record> records)
{
    std::vector<char> bytes{char(perRead), 0};
    for (const Record& r : records)
        orbisk::test::AppendInotifyRecord(bytes, r.wd, r.mask, r.cookie, r.name);
    return bytes;
}

} // namespace

int main(int argc, char* argv[])
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: inotify_seeds DIR\n");
        return 2;
    }
    const std::string dir = argv[1];
    int written = 0;
    const auto put = [&](const char* name, const std::vector<char>& bytes) {
        if (FILE* f = std::fopen((dir + "/" + name).c_str(), "wb")) {
            written += std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size() ? 1 : 0;
            std::fclose(f);
        }
    };
    put("files", Input(15, {{1, IN_CREATE, 0, "x.ico"}, {1, IN_CLOSE_WRITE, 0, "x.ico"}, {1, IN_ATTRIB, 0, "x.ico"},
                            {3, IN_DELETE, 0, "y.exe"}, {2, IN_CREATE, 0, "note.txt"}}));
    put("rename", Input(15, {{1, IN_MOVED_FROM, 5, "x.ico"}, {1, IN_MOVED_TO, 5, "z.ico"},
                             {3, IN_MOVED_FROM | IN_ISDIR, 6, "b"}, {1, IN_MOVED_TO | IN_ISDIR, 6, "c"},
                             {4, IN_CREATE, 0, "in-moved.txt"}}));
    put("split", Input(0, {{1, IN_MOVED_FROM | IN_ISDIR, 7, "a"}, {1, IN_MOVED_TO | IN_ISDIR, 7, "d"},
                           {4, IN_CREATE | IN_ISDIR, 0, "new"}}));
    put("out", Input(1, {{3, IN_MOVED_FROM | IN_ISDIR, 8, "b"}, {1, IN_CREATE, 0, "later"},
                         {4, IN_DELETE_SELF, 0, ""}, {4, IN_IGNORED, 0, ""}}));
    put("self", Input(15, {{1, IN_ATTRIB, 0, ""}, {1, IN_MOVE_SELF, 0, ""}, {2, IN_DELETE_SELF, 0, ""}}));
    put("overflow", Input(2, {{1, IN_MOVED_FROM, 9, "gone"}, {-1, IN_Q_OVERFLOW, 0, ""}, {3, IN_CREATE, 0, "x"}}));
    std::printf("%d seed files in %s\n", written, dir.c_str());
    return written > 0 ? 0 : 1;
}
