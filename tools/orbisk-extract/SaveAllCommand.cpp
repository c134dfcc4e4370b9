#include "SaveOptions.h"
#include "Subcommand.h"

#include "core/ScanEngine.h"
#include "core/PlainScanView.h"
#include "export/BatchFileNames.h"
#include "export/NumberedFileWriter.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <sys/stat.h>

namespace orbisk::tool {

namespace {

constexpr const char* SaveAllUsage
    = "  save-all [--subfolders] [--filter STRING] [--colors N | --bmp] [--display-depth D] PATH OUTDIR";

constexpr const char* SaveAllHelpHead
    = "usage: orbisk-extract save-all [--subfolders] [--filter STRING] [--colors N | --bmp]\n"
      "                               [--display-depth D] PATH OUTDIR\n"
      "\n"
      "Scans PATH as 'scan' does and writes every icon found into OUTDIR as icon1,\n"
      "icon2, ... in list order (.ico, or .bmp with --bmp), replacing files of those\n"
      "names. An icon that cannot be saved gets an 'Error saving ...' line on\n"
      "standard error and the others are still saved. A name in OUTDIR that is a\n"
      "link, a folder or a special file is never written.\n"
      "\n"
      "  --filter STRING    extensions to take, e.g. \".ICO,.CUR,.EXE,.DLL,.ICL,\"\n"
      "                     (the default), \"*\" for every file\n"
      "  --subfolders       walk the folders below PATH too\n";
constexpr const char* SaveAllHelpTail
    = "\nCtrl+C stops after the icon in hand (exit status 130).\n"
      "Exit status: 0 every icon saved, 1 something failed, 2 usage error.\n";

struct SaveAllOptions {
    SaveOptions save;
    bool withSub = false;
    std::string fileExt { DefaultFileExt };
    std::vector<std::string> operands;
};

volatile std::sig_atomic_t interrupted = 0;
extern "C" void OnSaveAllInterrupt(int) { interrupted = 1; }

int UsageError(const std::string& message)
{
    std::fprintf(stderr, "orbisk-extract save-all: %s\n", message.c_str());
    std::fprintf(stderr, "usage: orbisk-extract save-all [--subfolders] [--filter STRING] [--colors N | --bmp]\n"
                         "                               [--display-depth D] PATH OUTDIR\n");
    return 2;
}

// 0 when the arguments are complete; -1 after --help; otherwise the status.
int ParseArgs(const std::vector<std::string>& args, SaveAllOptions& o)
{
    bool optionsDone = false;
    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& a = args[i];
        if (optionsDone || a.size() < 2 || a[0] != '-') {
            o.operands.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "--help" || a == "-h") {
            std::printf("%s%s%s", SaveAllHelpHead, SaveOptionsHelp, SaveAllHelpTail);
            return -1;
        } else if (a == "--subfolders") {
            o.withSub = true;
        } else if (a == "--filter") {
            if (i + 1 >= args.size())
                return UsageError("missing value for '--filter'");
            o.fileExt = args[++i];
        } else {
            std::string error;
            const OptionParse r = ParseSaveOption(args, i, o.save, error);
            if (r != OptionParse::Taken)
                return UsageError(r == OptionParse::Error ? error : "unknown option '" + a + "'");
        }
    }
    if (o.operands.size() != 2)
        return UsageError("PATH and OUTDIR expected");
    return 0;
}

// Scans to the end, or until Ctrl+C; false when interrupted.
bool RunScan(ScanEngine& engine, const std::string& path)
{
    engine.BeginScan(path);
    while (!engine.WaitForScan(std::chrono::milliseconds(50)))
        if (interrupted)
            break;
    engine.EndScan();
    return !interrupted;
}

// Saves every icon of the list; returns how many failed.
std::size_t SaveIcons(const ScanEngine& engine, const std::string& outDir, const SaveOptions& options,
                      std::size_t& saved)
{
    const char* extension = SaveFileExtension(options.bitmap ? 1 : 0);
    const TIconList& icons = engine.Icons();
    TafIcon work;
    NumberedFileWriter files(outDir);
    std::size_t failed = 0;
    for (std::size_t i = 0; i < icons.size() && !interrupted; ++i) {
        const std::string name = BatchSaveName(int(i + 1), extension);
        const std::string destination = files.PathOf(name);
        work.SetHandle(icons[i].Handle);
        try {
            files.Write(name, [&](OutputStream& stream) { WriteSavedStream(stream, work, options); });
            ++saved;
        } catch (const Exception&) {
            // The line names the icon and the file, as the batch save does;
            // the writer's own message adds nothing the user can act on.
            std::fprintf(stderr, "%s\n", BatchSaveErrorLine(engine.IconName(i), destination).c_str());
            ++failed;
        }
        work.ReleaseHandle();
    }
    // One sync for the whole batch; the files stand under their names
    // already, so a failure may still lose them.
    if (const std::error_code synced = files.MakeDurable()) {
        std::fprintf(stderr, "%s\n", BatchSyncErrorLine(outDir, synced).c_str());
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
        std::fprintf(stderr, "orbisk-extract save-all: %s: %s\n", path.c_str(), problem);
    return !problem;
}

int SaveAll(const std::vector<std::string>& args)
{
    SaveAllOptions o;
    if (const int status = ParseArgs(args, o))
        return status < 0 ? 0 : status;
    const std::string& path = o.operands[0];
    const std::string& outDir = o.operands[1];
    if (!CheckPath(path, false) || !CheckPath(outDir, true))
        return 1;
    struct stat st {};
    ::stat(path.c_str(), &st);

    struct sigaction action {}, previous {};
    action.sa_handler = OnSaveAllInterrupt;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, &previous);

    PlainScanView view;
    ScanEngine engine(view);
    engine.SetWithSub(o.withSub);
    engine.SetFileExt(o.fileExt);
    engine.SetOneFileMode(!S_ISDIR(st.st_mode));
    std::size_t saved = 0, failed = 0;
    if (RunScan(engine, path)) {
        failed = SaveIcons(engine, outDir, o.save, saved);
    }
    sigaction(SIGINT, &previous, nullptr);
    std::printf("%zu icon(s) saved to %s\n", saved, outDir.c_str());
    if (interrupted)
        return 130;
    return failed ? 1 : 0;
}

const Subcommand saveAllCommand("save-all", SaveAllUsage, SaveAll);

} // namespace

} // namespace orbisk::tool
