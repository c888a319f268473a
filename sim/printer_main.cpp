// tarvello-printer: the virtual printer as a program of its own. Prints the device path to open
// on its first line of output and serves until SIGINT or SIGTERM. POSIX only: it needs a
// pseudo-terminal.
#ifdef _WIN32

#include <cstdio>

int main() {
    std::fputs("tarvello-printer: a virtual printer needs a POSIX pseudo-terminal\n", stderr);
    return 1;
}

#else // !_WIN32

#include <QStringList>

#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "sim/VirtualPrinter.h"
#include "sim/printer_options.h"

using tarvello::sim::PrinterProgram;
using tarvello::sim::VirtualPrinter;

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void OnSignal(int) {
    g_stopSignal = 1;
}

// Points the symbolic link at target, replacing whatever link was there in one step (a new link
// under a temporary name renamed over it), so a reader never finds the path missing.
bool PointLinkAt(const std::string& link, const std::string& target) {
    const std::string temp = link + ".new-" + std::to_string(::getpid());
    ::unlink(temp.c_str());
    if (::symlink(target.c_str(), temp.c_str()) != 0) {
        return false;
    }
    if (::rename(temp.c_str(), link.c_str()) != 0) {
        ::unlink(temp.c_str());
        return false;
    }
    return true;
}

// Removes the link if it still points at target (a later printer may have re-pointed it).
void RemoveLinkTo(const std::string& link, const std::string& target) {
    char buffer[4096];
    const ssize_t n = ::readlink(link.c_str(), buffer, sizeof buffer);
    if (n > 0 && std::string(buffer, static_cast<std::size_t>(n)) == target) {
        ::unlink(link.c_str());
    }
}

void InstallSignalHandlers() {
    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);
}

// Starts the printer, points --link at it and prints its device as the first line of output.
bool Start(PrinterProgram& program) {
    VirtualPrinter& printer = program.printer;
    if (!printer.Start()) {
        std::fprintf(stderr, "tarvello-printer: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return false;
    }
    if (!program.link.empty() && !PointLinkAt(program.link, printer.DevicePath())) {
        std::fprintf(stderr, "tarvello-printer: cannot point %s at %s: %s\n", program.link.c_str(),
                     printer.DevicePath().c_str(), std::strerror(errno));
        printer.Stop();
        return false;
    }
    std::printf("%s\n", printer.DevicePath().c_str());
    std::fflush(stdout);
    return true;
}

// Serves until a signal, the end of standard input (with --exit-on-stdin-eof) or a hang-up,
// showing the frames received with --verbose.
void Serve(PrinterProgram& program) {
    VirtualPrinter& printer = program.printer;
    std::size_t shown = 0;
    bool stdinOpen = true;
    const auto started = std::chrono::steady_clock::now();
    while (!g_stopSignal) {
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&pfd, stdinOpen ? 1 : 0, 50);
        if (ready > 0 && stdinOpen) {
            char buffer[256];
            ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                if (program.exitOnEof)
                    break; // end of input
                stdinOpen = false;
            } else if (got > 0) {
                for (const std::string& why :
                     program.feed.Feed(std::string(buffer, static_cast<std::size_t>(got))))
                    std::fprintf(stderr, "tarvello-printer: %s\n", why.c_str());
            }
        }
        program.feed.RunDue(static_cast<long>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                                  std::chrono::steady_clock::now() - started)
                                                  .count()));
        if (program.verbose) {
            auto frames = printer.Frames();
            for (; shown < frames.size(); ++shown) {
                std::fprintf(stderr, "%s\n", frames[shown].c_str());
            }
        }
        if (printer.HungUp()) {
            std::fprintf(stderr, "tarvello-printer: line hung up\n");
            break;
        }
    }
}

} // namespace

int main(int argc, char** argv) {
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    PrinterProgram program;
    const int ended = tarvello::sim::ReadCommandLine(args, program);
    if (ended >= 0) {
        return ended;
    }
    InstallSignalHandlers();
    if (!Start(program)) {
        return 1;
    }
    Serve(program);
    program.printer.Stop();
    if (!program.link.empty()) {
        RemoveLinkTo(program.link, program.printer.DevicePath());
    }
    return 0;
}

#endif // !_WIN32
