// Fuzzes the icon extractor with whole files. Every icon of the input is
// asked for in turn from one parse, as the scan's calls do; icon 0 is also
// taken through a real file and through a fresh parse, and all must agree.

#include "platform/extract/ByteSource.h"
#include "platform/extract/ExtractIcon.h"
#include "platform/extract/IconDecoders.h"
#include "platform/extract/IconFitting.h"
#include "platform/extract/IconNumbering.h"

#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {

// Qt's PNG reader reports damaged images on stderr; the fuzzer's output is
// clearer without them.
void Quiet(QtMsgType, const QMessageLogContext&, const QString&) {}

const std::string& ScratchFile()
{
    static const std::string path = "/dev/shm/orbisk-fuzz-" + std::to_string(::getpid());
    return path;
}

bool SameIcon(const orbisk::IconData* a, const orbisk::IconData* b)
{
    if (!a || !b)
        return a == b;
    return a->width == b->width && a->height == b->height && a->color == b->color && a->mask == b->mask
        && a->monochrome == b->monochrome;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qInstallMessageHandler(Quiet);
    std::atexit([] { std::remove(ScratchFile().c_str()); });
    return 0;
}

static void ExtractAll(const uint8_t* data, size_t size)
{
    const std::span<const uint8_t> bytes(data, size);
    orbisk::MemorySource source(bytes);
    auto container = orbisk::OpenIconContainer(source);
    orbisk::IconNumbering numbering(container ? std::move(*container) : nullptr);
    orbisk::UniqueIcon first;
    // A real file has at most a few thousand groups; a hundred show the rest.
    for (int n = 0; n < 100; ++n) {
        orbisk::IconSourceInfo info;
        auto icon = orbisk::NumberedIcon(numbering, source, n, &info);
        if (!icon)
            break;
        if (icon->width != 32 || icon->height != 32 || info.width < 1 || info.width > 1024)
            std::abort();
        if (n == 0)
            first = orbisk::UniqueIcon(orbisk::CreateIcon(std::move(*icon)));
    }
    orbisk::UniqueIcon fresh = orbisk::ExtractIconFromBytes(bytes, 0, nullptr);
    if (!SameIcon(fresh.get(), first.get()))
        std::abort();
    if (FILE* f = std::fopen(ScratchFile().c_str(), "wb")) {
        std::fwrite(data, 1, size, f);
        std::fclose(f);
        orbisk::UniqueIcon viaFile(orbisk::ExtractIcon(ScratchFile(), 0));
        if (!SameIcon(viaFile.get(), first.get()))
            std::abort();
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    ExtractAll(data, size);
    // Every handle made was destroyed exactly once.
    if (orbisk::LiveIconCount() != 0)
        std::abort();
    return 0;
}
