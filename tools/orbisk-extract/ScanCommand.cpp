#include "Records.h"
#include "Subcommand.h"
#include "ToolArguments.h"

#include "core/PlainScanView.h"
#include "core/ScanEngine.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <unordered_set>
#include <vector>

#include <sys/stat.h>

namespace orbisk::tool {

namespace {

constexpr const char* Name = "scan";

struct ScanOptions {
    bool withSub = false;
    bool unique = false;
    std::string fileExt { DefaultFileExt };
    RecordFormatOptions output;
    std::string path;
};

// Runs the scan to its end, or until Ctrl+C stops it.
void RunScan(ScanEngine& engine, const std::string& path)
{
    engine.BeginScan(path);
    while (!engine.WaitForScan(std::chrono::milliseconds(50)))
        if (Interrupted())
            break;
    engine.EndScan();
}

// unique: only the first icon of each picture (icons of one picture share
// their handle's image).
void PrintResults(const ScanEngine& engine, const PlainScanView& view, RecordFormat format, bool unique)
{
    const TIconList& icons = engine.Icons();
    std::unordered_set<HICON> printed;
    for (std::size_t i = 0; i < icons.size(); ++i) {
        if (unique && !printed.insert(icons[i].Handle).second)
            continue;
        const std::string path = engine.FilePath(std::size_t(icons[i].FileIndex));
        const std::string number = std::to_string(icons[i].IconIndex);
        switch (format) {
        case RecordFormat::Json:
            WriteRecord(format, JsonRecord().Path("path", path).Number("icon", icons[i].IconIndex).Object());
            break;
        case RecordFormat::Null:
            WriteRecord(format, path + " #" + number);
            break;
        case RecordFormat::Lines:
            WriteRecord(format, EscapeLine(path) + " #" + number);
            break;
        }
    }
    if (format == RecordFormat::Json) {
        WriteRecord(format,
            JsonRecord()
                .Number("files", static_cast<long long>(engine.Files().size()))
                .Number("icons", static_cast<long long>(unique ? printed.size() : icons.size()))
                .Object());
        return;
    }
    for (std::size_t p = 0; p < view.panels.size(); ++p) {
        const std::string line = "panel" + std::to_string(p + 1) + ": " + view.panels[p];
        WriteRecord(format, format == RecordFormat::Null ? line : EscapeLine(line));
    }
}

int Scan(const std::vector<std::string>& args)
{
    ScanOptions options;
    CLI::App app("Scans PATH as Orbisk does (one file when PATH names a file) and prints every icon found as "
                 "'<file path> #<index>', then the three status panels as 'panel1: ...', 'panel2: ...', "
                 "'panel3: ...'. Control characters, backslashes and bytes that are not UTF-8 in a path are "
                 "escaped (\\n, \\t, \\\\, \\xNN), so that one icon is one line.",
        CommandName(Name));
    app.add_option("PATH", options.path, "the folder or file to scan")->required();
    app.add_flag("--subfolders", options.withSub, "walk the folders below PATH too");
    app.add_flag("--unique", options.unique, "print only the first icon of each distinct picture");
    app.add_option("--filter", options.fileExt,
        "extensions to take, e.g. \".ICO,.CUR,.EXE,.DLL,.ICL,\" (the default), \"*\" for every file");
    AddRecordFormatOptions(
        app, options.output, "{\"path\": ..., \"icon\": n} per icon, then {\"files\": N, \"icons\": M}");
    app.footer("Ctrl+C stops the scan and prints what was found so far (exit status 130).\n"
               "Exit status: 0 done (also when no icon is found), 1 PATH cannot be scanned, 2 usage error.");
    if (const int status = ParseArguments(app, args); status >= 0)
        return status;

    struct stat st {};
    if (::stat(options.path.c_str(), &st) != 0) {
        std::fprintf(stderr, "orbisk-extract scan: %s: %s\n", EscapeLine(options.path).c_str(), std::strerror(errno));
        return ExitFailure;
    }
    PlainScanView view;
    ScanEngine engine(view);
    engine.SetWithSub(options.withSub);
    engine.SetFileExt(options.fileExt);
    engine.SetOneFileMode(!S_ISDIR(st.st_mode));
    RunScan(engine, options.path);
    PrintResults(engine, view, options.output.Format(), options.unique);
    return ExitSuccess;
}

const Subcommand scanCommand(Name, "scan a folder or a file and print every icon found", Scan);

} // namespace

} // namespace orbisk::tool
