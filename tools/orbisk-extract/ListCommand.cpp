#include "Records.h"
#include "Subcommand.h"
#include "ToolArguments.h"

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
#include <variant>
#include <vector>

namespace orbisk::tool {

namespace {

constexpr const char* Name = "list";

struct ListOptions {
    bool cursors = false;
    std::string pngDir;
    RecordFormatOptions output;
    std::vector<std::string> files;
};

// One icon's record: "<file> #<n> <w>x<h> <bits>", a cursor's with its hot
// spot, then the group's resource name and language where the file has
// them, as a line, a NUL-ended record or a JSON object.
struct ListedImage {
    int width = 0;
    int height = 0;
    int bits = 0;
    const Hotspot* hotspot = nullptr;
    const GroupResource* resource = nullptr;
};

// A number as its digits, a string quoted, in lines and NUL-ended records
// alike: a name may hold any character, a NUL too.
std::string NameField(const ResourceName& name)
{
    if (const auto* id = std::get_if<uint16_t>(&name.value))
        return std::to_string(*id);
    return QuoteLine(std::get<std::string>(name.value));
}

void PrintIcon(RecordFormat format, const std::string& file, int n, const ListedImage& image)
{
    const GroupResource* resource = image.resource;
    if (format == RecordFormat::Json) {
        JsonRecord record;
        record.Path("path", file).Number("icon", n).Number("width", image.width).Number("height", image.height);
        record.Number("bits", image.bits);
        if (image.hotspot)
            record.Number("hotspot_x", image.hotspot->x).Number("hotspot_y", image.hotspot->y);
        if (resource) {
            if (const auto* id = std::get_if<uint16_t>(&resource->name.value))
                record.Number("name", *id);
            else
                record.Text("name", std::get<std::string>(resource->name.value));
            if (resource->language)
                record.Number("language", *resource->language);
        }
        WriteRecord(format, record.Object());
        return;
    }
    std::string line = (format == RecordFormat::Null ? file : EscapeLine(file)) + " #" + std::to_string(n) + " "
        + std::to_string(image.width) + "x" + std::to_string(image.height) + " " + std::to_string(image.bits);
    if (image.hotspot)
        line += " " + std::to_string(image.hotspot->x) + "," + std::to_string(image.hotspot->y);
    if (resource) {
        line += " name=" + NameField(resource->name);
        if (resource->language)
            line += " language=" + std::to_string(*resource->language);
    }
    WriteRecord(format, line);
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
        std::fprintf(stderr, "orbisk-extract list: %s: cannot write\n", EscapeLine(pngDir->PathOf(name)).c_str());
        return false;
    }
}

bool ListIcons(const std::string& file, RecordFormat format, NumberedFileWriter* pngDir, int& written)
{
    bool ok = true;
    for (int n = 0; !Interrupted(); ++n) {
        IconSourceInfo info;
        UniqueIcon icon = ExtractIconDetailed(file, n, &info);
        if (!icon)
            break;
        const auto resource = ExtractIconResource(file, n);
        PrintIcon(format, file, n, { info.width, info.height, info.bits, nullptr, resource ? &*resource : nullptr });
        ok &= WriteNextPng(*icon, pngDir, written);
    }
    return ok;
}

// A cursor stands for itself by the image its icon would be made from.
bool ListCursors(const std::string& file, RecordFormat format, NumberedFileWriter* pngDir, int& written)
{
    bool ok = true;
    for (int n = 0; !Interrupted(); ++n) {
        auto group = ReadCursorGroup(file, n);
        if (!group)
            break;
        const auto resource = ReadCursorResource(file, n);
        std::vector<ImageInfo> infos;
        for (const GroupImage& image : group->images)
            infos.push_back({ image.width, image.height, image.bits, image.format == ImageFormat::Png });
        for (std::size_t i : PreferenceOrder(infos)) {
            auto decoded = DecodeGroupImage(*group, i);
            if (!decoded)
                continue;
            const GroupImage& image = group->images[i];
            PrintIcon(format, file, n,
                      { image.width, image.height, image.bits, &image.hotspot, resource ? &*resource : nullptr });
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
        std::fprintf(stderr, "orbisk-extract list: %s: cannot read: %s\n", EscapeLine(file).c_str(), opened.error());
        return false;
    }
    return options.cursors ? ListCursors(file, options.output.Format(), pngDir, written)
                           : ListIcons(file, options.output.Format(), pngDir, written);
}

int List(const std::vector<std::string>& args)
{
    ListOptions options;
    CLI::App app("Prints every icon of each FILE, one line per icon, in order: '<file> #<n> <w>x<h> <bits>', "
                 "where <w>x<h> and <bits> describe the image chosen from the icon's group before it is scaled "
                 "to 32 x 32 (a PNG image counts as 32 bits). In programs and libraries each line ends in "
                 "' name=<name>', the resource name of the icon's group: a number as digits, a string in double "
                 "quotes; 32- and 64-bit ones add ' language=<id>'. A file with no icons prints nothing. Control "
                 "characters, backslashes and bytes that are not UTF-8 in a name are escaped (\\n, \\t, \\\\, "
                 "\\xNN), and so is a double quote in a resource name (\\\").",
        CommandName(Name));
    app.add_option("FILE", options.files, "the files to list")->required();
    app.add_flag("--cursors", options.cursors,
        "list the cursors instead (a program's RT_GROUP_CURSOR groups, or a cursor file's one), numbered apart "
        "from the icons; each line ends in the chosen image's hot spot, <x>,<y>");
    app.add_option("--png-dir", options.pngDir,
           "also write each icon's 32 x 32 image (with alpha) as DIR/1.png, DIR/2.png, ... in the order of the "
           "lines")
        ->type_name("DIR")
        ->check([](const std::string& dir) { return dir.empty() ? std::string("a folder is needed") : std::string(); });
    AddRecordFormatOptions(app, options.output,
        "{\"path\", \"icon\", \"width\", \"height\", \"bits\"} per icon (cursors add \"hotspot_x\", "
        "\"hotspot_y\"; programs and libraries \"name\", a number or a string, and \"language\")");
    app.footer("Exit status: 0 every file could be read, 1 some could not (each is named on standard error) or a "
               "PNG could not be written, 2 usage error, 130 interrupted.");
    if (const int status = ParseArguments(app, args); status >= 0)
        return status;
    std::optional<NumberedFileWriter> pngDir;
    if (!options.pngDir.empty()) {
        if (!CreateFolderPath(options.pngDir)) {
            std::fprintf(stderr, "orbisk-extract list: %s: cannot create folder\n", EscapeLine(options.pngDir).c_str());
            return ExitFailure;
        }
        pngDir.emplace(options.pngDir);
    }
    bool allRead = true;
    int written = 0;
    for (const std::string& file : options.files) {
        if (Interrupted())
            break;
        allRead &= ListFile(file, options, pngDir ? &*pngDir : nullptr, written);
        std::fflush(stdout);
    }
    if (pngDir) {
        if (const std::error_code synced = pngDir->MakeDurable()) {
            std::fprintf(stderr, "orbisk-extract list: %s: %s\n", EscapeLine(options.pngDir).c_str(),
                synced.message().c_str());
            allRead = false;
        }
    }
    return allRead ? ExitSuccess : ExitFailure;
}

const Subcommand listCommand(Name, "print every icon of each file with its chosen image", List);

} // namespace

} // namespace orbisk::tool
