// tavelkor-cli: runs one of Tavelkor's modes over the files named on the command line.
#include "../app/BatchState.h"
#include "../modes/ModeTable.h"
#include "../timing/PlaceMode.h"
#include "CommandLine.h"

#include <QCoreApplication>
#include <QTextStream>
#include <csignal>
#include <cstdio>
#include <unistd.h>

namespace {

tavelkor::BatchProgress progress;

// Ctrl+C stops the run before its next file (a video being made stops at once and leaves
// nothing behind): the files done stay done, the others get "07.処理キャンセル" and the report
// is printed as for any run. A second Ctrl+C ends the
// program at once.
extern "C" void AskToStop(int) { progress.StopRequested = true; }

void CatchInterrupt() {
    struct sigaction action = {};
    action.sa_handler = AskToStop;
    action.sa_flags = SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
}

// On a terminal, the count of files done on one line of standard error, rewritten in place
// (at most every 1/100 of the run), and while a long file is made (a video) how far it has
// come; nothing when standard error is a file or a pipe.
void ShowProgressOnTerminal() {
    if (!::isatty(STDERR_FILENO))
        return;
    progress.Shown = [shown = qsizetype(0)](qsizetype done, qsizetype total) mutable {
        const qsizetype step = std::max<qsizetype>(1, total / 100);
        if (total == 0 || (done != total && done != 0 && done - shown < step))
            return;
        shown = done;
        std::fprintf(stderr, "\r%lld/%lld\x1b[K", (long long)done, (long long)total);
        if (done == total)
            std::fputc('\n', stderr);
        std::fflush(stderr);
    };
    progress.PartShown = [](qint64 done, qint64 total) {
        std::fprintf(stderr, "\r%lld/%lld %3d%%", (long long)progress.Done.load(),
                     (long long)progress.Total.load(), total > 0 ? int(done * 100 / total) : 0);
        std::fflush(stderr);
    };
}

} // namespace

int main(int argc, char** argv) {
    // A write beyond the file-size limit then fails with an error (and is reported as a save
    // error) instead of ending the program.
    std::signal(SIGXFSZ, SIG_IGN);
    QCoreApplication app(argc, argv);
    tavelkor::SetPlaceDriver(&tavelkor::PlaceInLines);
    QStringList arguments = app.arguments();
    arguments.removeFirst();

    QTextStream out(stdout);
    QTextStream err(stderr);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);

    tavelkor::CommandLine commandLine;
    QString error;
    if (!tavelkor::ParseCommandLine(arguments, commandLine, error)) {
        err << "tavelkor-cli: " << error << '\n';
        return tavelkor::ExitUsage;
    }
    CatchInterrupt();
    ShowProgressOnTerminal();
    return tavelkor::RunCommandLine(commandLine, out, err, &progress);
}
