#include "Subcommand.h"

#include "platform/extract/ExtractIcon.h"
#include "platform/extract/IconChoice.h"
#include "platform/extract/IconFitting.h"
#include "platform/extract/IconGroup.h"
#include "platform/files/RegularFile.h"

#include "export/NumberedFileWriter.h"
#include "platform/files/FolderPath.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

namespace orbisk::tool {

namespace {

constexpr const char* ListUsage = "  list [--cursors] [--png-dir DIR] FILE...";

constexpr const char* ListHelp
    = "usage: orbisk-extract list [--cursors] [--png-dir DIR] FILE...\n"
      "\n"
      "Prints every icon of each FILE, one line per icon, in order:\n"
      "  <file> #<n> <w>x<h> <bits>\n"
      "where <w>x<h> and <bits> describe the image chosen from the icon's group\n"
      "before it is scaled to 32 x 32 (a PNG image counts as 32 bits). A file\n"
      "with no icons prints nothing.\n"
      "\n"
      "  --cursors      list the cursors instead (a program's RT_GROUP_CURSOR\n"
      "                 groups, or a cursor file's one), numbered apart from the\n"
      "                 icons; each line ends in the chosen image's hot spot,\n"
      "                 <x>,<y>\n"
      "  --png-dir DIR  also write each icon's 32 x 32 image (with alpha) as\n"
      "                 DIR/1.png, DIR/2.png, ... in the order of the lines\n"
      "\n"
      "Exit status: 0 every file could be read, 1 some could not (each is named\n"
      "on standard error), 2 usage error.\n";

struct ListOptions {
    bool cursors = false;
    std::string pngDir;
    std::vector<std::string> files;
};

int UsageError(const char* what, const std::string& arg)
{
    std::fprintf(stderr, "orbisk-extract list: %s%s\n%s", what, arg.c_str(), ListHelp);
    return 2;
}

// Fills options from the arguments; returns -1 to go on, else an exit status.
int Parse(const std::vector<std::string>& args, ListOptions& options)
{
    bool optionsEnd = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsEnd || a.empty() || a[0] != '-' || a == "-") {
            options.files.push_back(a);
        } else if (a == "--") {
            optionsEnd = true;
        } else if (a == "--help" || a == "-h") {
            std::fputs(ListHelp, stdout);
            return 0;
        } else if (a == "--cursors") {
            options.cursors = true;
        } else if (a == "--png-dir") {
            if (i + 1 >= args.size())
                return UsageError("--png-dir needs a folder", "");
            options.pngDir = args[++i];
        } else if (a.rfind("--png-dir=", 0) == 0) {
            options.pngDir = a.substr(std::strlen("--png-dir="));
        } else {
            return UsageError("unknown option ", a);
        }
    }
    if (options.files.empty())
        return UsageError("no FILE given", "");
    if (options.pngDir.empty() && std::find(args.begin(), args.end(), "--png-dir") != args.end())
        return UsageError("--png-dir needs a folder", "");
    return -1;
}

// Writes the next PNG of --png-dir, if one was asked for; false on failure.
// The files are numbered by the tool itself, so a name in the folder that is
// a link, a folder or a special file is never written.
bool WriteNextPng(const IconData& icon, NumberedFileWriter* pngDir, int& written)
{
    if (!pngDir)
        return true;
    const std::string name = std::to_string(++written) + ".png";
    QImage image(icon.width, icon.height, QImage::Format_ARGB32);
    for (int y = 0; y < icon.height; ++y)
        std::memcpy(image.scanLine(y), icon.color.data() + std::size_t(y) * std::size_t(icon.width),
                    std::size_t(icon.width) * 4);
    QByteArray png;
    QBuffer buffer(&png);
    try {
        if (!buffer.open(QIODevice::WriteOnly) || !image.save(&buffer, "PNG"))
            throw EWriteError();
        pngDir->Write(name, [&png](OutputStream& file) { file.WriteBuffer(png.constData(), std::size_t(png.size())); });
        return true;
    } catch (const Exception&) {
        std::fprintf(stderr, "orbisk-extract: %s: cannot write\n", pngDir->PathOf(name).c_str());
        return false;
    }
}

bool ListIcons(const std::string& file, NumberedFileWriter* pngDir, int& written)
{
    bool ok = true;
    for (int n = 0;; ++n) {
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(file, n, &info);
        if (!icon)
            break;
        std::printf("%s #%d %dx%d %d\n", file.c_str(), n, info.width, info.height, info.bits);
        ok &= WriteNextPng(*icon, pngDir, written);
    }
    return ok;
}

// A cursor stands for itself by the image its icon would be made from.
bool ListCursors(const std::string& file, NumberedFileWriter* pngDir, int& written)
{
    bool ok = true;
    for (int n = 0;; ++n) {
        auto group = ReadCursorGroup(file, n);
        if (!group)
            break;
        std::vector<ImageInfo> infos;
        for (const GroupImage& image : group->images)
            infos.push_back({ image.width, image.height, image.bits, image.format == ImageFormat::Png });
        for (std::size_t i : PreferenceOrder(infos)) {
            auto decoded = DecodeGroupImage(*group, i);
            if (!decoded)
                continue;
            const GroupImage& image = group->images[i];
            std::printf("%s #%d %dx%d %d %u,%u\n", file.c_str(), n, image.width, image.height, image.bits,
                        unsigned(image.hotspot.x), unsigned(image.hotspot.y));
            ok &= WriteNextPng(FitIcon(*decoded), pngDir, written);
            break;
        }
    }
    return ok;
}

// Lists one file; false when it could not be read or a PNG not written.
bool ListFile(const std::string& file, const ListOptions& options, NumberedFileWriter* pngDir, int& written)
{
    if (auto opened = RegularFile::Open(file); !opened) {
        std::fprintf(stderr, "orbisk-extract: %s: cannot read: %s\n", file.c_str(), opened.error());
        return false;
    }
    return options.cursors ? ListCursors(file, pngDir, written) : ListIcons(file, pngDir, written);
}

int List(const std::vector<std::string>& args)
{
    ListOptions options;
    if (const int status = Parse(args, options); status >= 0)
        return status;
    std::optional<NumberedFileWriter> pngDir;
    if (!options.pngDir.empty()) {
        if (!CreateFolderPath(options.pngDir)) {
            std::fprintf(stderr, "orbisk-extract: %s: cannot create folder\n", options.pngDir.c_str());
            return 1;
        }
        pngDir.emplace(options.pngDir);
    }
    bool allRead = true;
    int written = 0;
    for (const std::string& file : options.files) {
        allRead &= ListFile(file, options, pngDir ? &*pngDir : nullptr, written);
        std::fflush(stdout);
    }
    if (pngDir) {
        if (const std::error_code synced = pngDir->MakeDurable()) {
            std::fprintf(stderr, "orbisk-extract: %s: %s\n", options.pngDir.c_str(), synced.message().c_str());
            allRead = false;
        }
    }
    return allRead ? 0 : 1;
}

const Subcommand listCommand("list", ListUsage, List);

} // namespace

} // namespace orbisk::tool
