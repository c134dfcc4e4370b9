#include "app/CommandLine.h"
#include "app/FirstPaintReport.h"
#include "app/QuitOnSignal.h"
#include "core/ReadAhead.h"
#include "platform/jobs/Job.h"
#include "ui/MainForm.h"

#include <QApplication>
#include <QPointer>

#include <cstdio>

#include <unistd.h>

namespace {

void PrintLines(const std::vector<std::string>& lines, std::FILE* to)
{
    for (const std::string& line : lines) {
        std::fwrite(line.data(), 1, line.size(), to);
        std::fputc('\n', to);
    }
}

} // namespace

int main(int argc, char* argv[])
{
    // Help and version need no display, so they are answered before the
    // application connects to one.
    if (const orbisk::CommandLine early = orbisk::ParseCommandLine(orbisk::ArgumentsOf(argc, argv));
        early.showHelp || early.showVersion) {
        std::fputs(early.showHelp ? orbisk::UsageText().c_str() : "Orbisk 1.2\n", stdout);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Orbisk 1.2"));
    // Ties the window to the installed desktop entry and its icon.
    QGuiApplication::setDesktopFileName(QStringLiteral(ORBISK_APP_ID));
    // Read once the application has taken its own options (-platform, ...).
    const orbisk::CommandLine commandLine = orbisk::ParseCommandLine(orbisk::ArgumentsOf(argc, argv));
    PrintLines(commandLine.errors, stderr);

    // The window destroys itself when closed, which ends the loop; if the
    // loop ends another way it is destroyed here, without closing.
    QPointer<orbisk::TMainFrm> mainFrm = new orbisk::TMainFrm;
    if (!commandLine.openPath.empty())
        mainFrm->OpenPath(commandLine.openPath);
    orbisk::ReportFirstPaintIfAsked(*mainFrm);
    mainFrm->show();
    orbisk::QuitOnSignal quitOnSignal([&mainFrm] {
        if (mainFrm)
            mainFrm->close();
    });
    const int exitCode = QApplication::exec();
    delete mainFrm.data();
    // Work left behind in a read of a disk that does not answer still has
    // a thread: the settings are written and the window is gone, so the
    // program ends here rather than tear down what that thread may touch.
    if (orbisk::Job::LeftBehind() > 0 || orbisk::ReaderThreadCount::Live() > 0) {
        std::fflush(nullptr);
        ::_exit(exitCode);
    }
    return exitCode;
}
