#include "Records.h"
#include "SaveOptions.h"
#include "Subcommand.h"

#include "core/ScanEngine.h"
#include "core/PlainScanView.h"
#include "export/BatchFileNames.h"
#include "export/NumberedFileWriter.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace orbisk::tool {

namespace {

constexpr const char* Name = "save-all";

struct SaveAllOptions {
    SaveOptions save;
    bool withSub = false;
    std::string fileExt { DefaultFileExt };
    std::string path;
    std::string outDir;
};

// Scans to the end, or until Ctrl+C; false when interrupted.
bool RunScan(ScanEngine& engine, const std::string& path)
{
    engine.BeginScan(path);
    while (!engine.WaitForScan(std::chrono::milliseconds(50)))
        if (Interrupted())
            break;
    engine.EndScan();
    return !Interrupted();
}

// Saves every icon of the list; returns how many failed.
std::size_t SaveIcons(const ScanEngine& engine, const std::string& outDir, const SaveOptions& options,
                      std::size_t& saved)
{
    const char* extension = SaveFileExtension(options.bitmap ? SaveAsBitmap : SaveAsIcon);
    const TIconList& icons = engine.Icons();
    NumberedFileWriter files(outDir);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < icons.size() && !Interrupted(); ++i) {
        const std::string name = BatchSaveName(int(i + 1), extension);
        const std::string destination = files.PathOf(name);
        const TafIcon work(icons[i].Handle);
        try {
            files.Write(name, [&](OutputStream& stream) { WriteSavedStream(stream, work, options); });
            ++saved;
        } catch (const Exception&) {
            // The line names the icon and the file, as the batch save does;
            // the writer's own message adds nothing the user can act on.
            std::fprintf(stderr, "%s\n", EscapeLine(BatchSaveErrorLine(engine.IconName(i), destination)).c_str());
            ++failed;
        }
    }
    // One sync for the whole batch; the files stand under their names
    // already, so a failure may still lose them.
    if (const std::error_code synced = files.MakeDurable()) {
        std::fprintf(stderr, "%s\n", EscapeLine(BatchSyncErrorLine(outDir, synced)).c_str());
        ++failed;
    }
    return failed;
}

bool CheckPath(const std::string& path, bool mustBeFolder)
{
    struct stat st {};
    const char* problem = nullptr;
    if (::stat(path.c_str(), &st) != 0)
        problem = std::strerror(errno);
    else if (mustBeFolder && !S_ISDIR(st.st_mode))
        problem = "not a folder";
    if (problem)
        std::fprintf(stderr, "orbisk-extract save-all: %s: %s\n", EscapeLine(path).c_str(), problem);
    return !problem;
}

int SaveAll(const std::vector<std::string>& args)
{
    SaveAllOptions o;
    CLI::App app("Scans PATH as 'scan' does and writes every icon found into OUTDIR as icon1, icon2, ... in list "
                 "order (.ico, or .bmp with --bmp), replacing files of those names. An icon that cannot be saved "
                 "gets an 'Error saving ...' line on standard error and the others are still saved. A name in "
                 "OUTDIR that is a link, a folder or a special file is never written.",
        CommandName(Name));
    app.add_option("PATH", o.path, "the folder or file to scan")->required();
    app.add_option("OUTDIR", o.outDir, "the folder to write into")->required();
    app.add_flag("--subfolders", o.withSub, "walk the folders below PATH too");
    app.add_option("--filter", o.fileExt,
        "extensions to take, e.g. \".ICO,.CUR,.EXE,.DLL,.ICL,\" (the default), \"*\" for every file");
    AddSaveOptions(app, o.save);
    app.footer("Ctrl+C stops after the icon in hand (exit status 130).\n"
               "Exit status: 0 every icon saved, 1 something failed, 2 usage error.");
    if (const int status = ParseArguments(app, args); status >= 0)
        return status;
    if (!CheckPath(o.path, false) || !CheckPath(o.outDir, true))
        return ExitFailure;
    struct stat st {};
    ::stat(o.path.c_str(), &st);

    PlainScanView view;
    ScanEngine engine(view);
    engine.SetWithSub(o.withSub);
    engine.SetFileExt(o.fileExt);
    engine.SetOneFileMode(!S_ISDIR(st.st_mode));
    std::size_t saved = 0, failed = 0;
    if (RunScan(engine, o.path))
        failed = SaveIcons(engine, o.outDir, o.save, saved);
    std::printf("%zu icon(s) saved to %s\n", saved, EscapeLine(o.outDir).c_str());
    return failed ? ExitFailure : ExitSuccess;
}

const Subcommand saveAllCommand(Name, "scan, then write every icon found into a folder as icon1, icon2, ...", SaveAll);

} // namespace

} // namespace orbisk::tool
