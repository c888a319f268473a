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

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <poll.h>
#include <string>
#include <unistd.h>

#include "sim/VirtualPrinter.h"

using tarvello::sim::FrameKind;
using tarvello::sim::Media;
using tarvello::sim::Sensor;
using tarvello::sim::VirtualPrinter;

namespace {

volatile std::sig_atomic_t g_stopSignal = 0;

void OnSignal(int) {
    g_stopSignal = 1;
}

const char kHelp[] = R"(Usage: tarvello-printer [OPTION]...
A virtual label printer on a pseudo-terminal. The first line of output is the device to open
(e.g. /dev/pts/3) as the serial port; the printer serves until SIGINT or SIGTERM.

Frames answered (STX is 0x02, CR 0x0D, DC3 0x13):
  STX "k" CR                     'Y' (connection handshake; 'N' with --reject-handshake)
  STX "&" 8 digits DC3 (+ NUL)   nothing (access code)
  STX "Y"                        status reply "exist 128/headpos 7/ribbon 255/"
  STX "JF" code III              reflective reading, decimal "N/" (code "00".."11" = level 0..3,
                                 III the light intensity 000..255); the frame may come in any
                                 split of writes
  STX "JT" code III              transmissive reading, decimal "N/"
  STX "JF"/"JT" III              (no code) a reading at the sensor's last level, taken once the
                                 line has been quiet for 150 ms
  STX "r" / STX "e"              nothing; starts a reflective / transmissive paper check
  STX "Ke" sel                   four upper-case hex characters: "0f" 0050, "02" 0064, "0e" 000A
                                 (a check wait of 1000 ms), "14" and "13" the two samples of the
                                 check, other selectors 0000
  STX "JC" DC3                   nothing; takes the check's samples at the sensor's last level and
                                 intensity: reflective "14" over a mark, "13" over paper;
                                 transmissive "14" over liner (the gap), "13" over a label

Sensor model (deterministic): the output falls as more light reaches the receiver. Reflective
N = 240 - gain(level) x reflectance x intensity (paper 1.0, liner 0.8, mark 0.15, none 0.03),
transmissive N = 15 + gain(level) x transmittance x intensity (none 1.5, liner 1.0, paper 0.45,
mark 0.04), gain 2.0, 1.5, 1.1, 0.8 for levels 0..3, each clamped to 5..240 / 15..250. Both
automatic adjustments converge from level 3, intensity 0 for standards of about 0.5 to 4.5 V at
5.0 V supply; 5.0 V is never reached (the search cycles).

Options:
  --reflective-media M     media under the reflective sensor: paper (default), mark, liner, none
  --transmissive-media M   media under the transmissive sensor: liner (default), paper, mark, none
  --status E,H,R           the three status values (default 128,7,255)
  --status-reply TEXT      the whole status reply, as given
  --reflective-reading N   answer every reflective reading with N instead of the model's value
  --transmissive-reading N the same for the transmissive sensor
  --ke SEL=VALUE           the value of STX "Ke" SEL (VALUE decimal or 0x hex), e.g. --ke 0e=0x14
  --reply-delay MS         delay before each reply (default 2)
  --slow MS                the same: a slow printer
Faults:
  --silent                 no reply to anything
  --silent-status          no reply to STX "Y" only
  --garbage                replies replaced by bytes no reply grammar accepts
  --split BYTES[,GAP_MS]   replies written in pieces of BYTES bytes, GAP_MS apart (default 20)
  --oversize BYTES         replies padded with '.' to BYTES bytes (e.g. 65536)
  --reject-handshake       'N' instead of 'Y' to STX "k" CR
  --hangup-after N         close the line after the N-th frame received (the program then ends)
Other:
  --exit-on-stdin-eof      also end when standard input reaches end of file
  --link PATH              point the symbolic link PATH at the device (replacing what PATH
                           was) before the device is printed, and remove it at the end if it
                           still points there; e.g. the path a Wine COM port is mapped to
  --verbose                print every frame received on standard error
  --help                   this text
)";

bool ParseInt(const char* text, long& value) {
    if (text == nullptr || *text == '\0') {
        return false;
    }
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 0);
    return errno == 0 && *end == '\0';
}

int Fail(const char* message, const char* arg) {
    std::fprintf(stderr, "tarvello-printer: %s%s%s\n(--help lists the options)\n", message,
                 arg ? ": " : "", arg ? arg : "");
    return 2;
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

} // namespace

int main(int argc, char** argv) {
    VirtualPrinter printer;
    bool exitOnEof = false;
    bool verbose = false;
    std::string link;
    for (int i = 1; i < argc; ++i) {
        const std::string opt = argv[i];
        const char* arg = i + 1 < argc ? argv[i + 1] : nullptr;
        auto needArg = [&]() -> bool {
            if (arg == nullptr) {
                return false;
            }
            ++i;
            return true;
        };
        long n = 0;
        if (opt == "--help" || opt == "-h") {
            std::fputs(kHelp, stdout);
            return 0;
        } else if (opt == "--reflective-media" || opt == "--transmissive-media") {
            Media media;
            if (!needArg() || !tarvello::sim::ParseMedia(arg, media)) {
                return Fail("unknown media", arg);
            }
            printer.SetMedia(
                opt == "--reflective-media" ? Sensor::Reflective : Sensor::Transmissive, media);
        } else if (opt == "--status") {
            int e = 0, h = 0, r = 0;
            char tail = 0;
            if (!needArg() || std::sscanf(arg, "%d,%d,%d%c", &e, &h, &r, &tail) != 3) {
                return Fail("--status needs E,H,R", arg);
            }
            printer.SetStatus(e, h, r);
        } else if (opt == "--status-reply") {
            if (!needArg()) {
                return Fail("--status-reply needs a text", nullptr);
            }
            printer.SetStatusReply(arg);
        } else if (opt == "--reflective-reading" || opt == "--transmissive-reading") {
            if (!needArg() || !ParseInt(arg, n)) {
                return Fail("a reading needs a number", arg);
            }
            printer.SetReadingOverride(opt == "--reflective-reading" ? Sensor::Reflective
                                                                     : Sensor::Transmissive,
                                       static_cast<int>(n));
        } else if (opt == "--ke") {
            const char* eq = arg ? std::strchr(arg, '=') : nullptr;
            if (!needArg() || eq == nullptr || eq - arg != 2 || !ParseInt(eq + 1, n)) {
                return Fail("--ke needs SEL=VALUE with a two-character selector", arg);
            }
            printer.SetKeValue(std::string(arg, 2), static_cast<int>(n));
        } else if (opt == "--reply-delay" || opt == "--slow") {
            if (!needArg() || !ParseInt(arg, n) || n < 0) {
                return Fail("a delay needs milliseconds", arg);
            }
            printer.SetReplyDelayMs(static_cast<int>(n));
        } else if (opt == "--silent") {
            printer.SetSilent(true);
        } else if (opt == "--silent-status") {
            printer.SetSilentFor(FrameKind::Status, true);
        } else if (opt == "--garbage") {
            printer.SetGarbage(true);
        } else if (opt == "--split") {
            int bytes = 0, gap = 20;
            if (!needArg() || std::sscanf(arg, "%d,%d", &bytes, &gap) < 1 || bytes < 1 || gap < 0) {
                return Fail("--split needs BYTES[,GAP_MS]", arg);
            }
            printer.SetSplit(bytes, gap);
        } else if (opt == "--oversize") {
            if (!needArg() || !ParseInt(arg, n) || n < 0) {
                return Fail("--oversize needs a size in bytes", arg);
            }
            printer.SetOversize(static_cast<std::size_t>(n));
        } else if (opt == "--reject-handshake") {
            printer.SetRejectHandshake(true);
        } else if (opt == "--hangup-after") {
            if (!needArg() || !ParseInt(arg, n) || n < 1) {
                return Fail("--hangup-after needs a frame count", arg);
            }
            printer.SetHangUpAfterFrames(static_cast<int>(n));
        } else if (opt == "--exit-on-stdin-eof") {
            exitOnEof = true;
        } else if (opt == "--verbose") {
            verbose = true;
        } else if (opt == "--link") {
            if (!needArg()) {
                return Fail("--link needs a path", nullptr);
            }
            link = arg;
        } else {
            return Fail("unknown option", opt.c_str());
        }
    }

    struct sigaction sa {};
    sa.sa_handler = OnSignal;
    sigemptyset(&sa.sa_mask);
    sigaction(SIGINT, &sa, nullptr);
    sigaction(SIGTERM, &sa, nullptr);

    if (!printer.Start()) {
        std::fprintf(stderr, "tarvello-printer: cannot open a pseudo-terminal: %s\n",
                     std::strerror(errno));
        return 1;
    }
    if (!link.empty() && !PointLinkAt(link, printer.DevicePath())) {
        std::fprintf(stderr, "tarvello-printer: cannot point %s at %s: %s\n", link.c_str(),
                     printer.DevicePath().c_str(), std::strerror(errno));
        printer.Stop();
        return 1;
    }
    std::printf("%s\n", printer.DevicePath().c_str());
    std::fflush(stdout);

    std::size_t shown = 0;
    bool stdinOpen = exitOnEof;
    while (!g_stopSignal) {
        pollfd pfd{STDIN_FILENO, POLLIN, 0};
        int ready = poll(&pfd, stdinOpen ? 1 : 0, 50);
        if (ready > 0 && stdinOpen) {
            char buffer[256];
            ssize_t got = read(STDIN_FILENO, buffer, sizeof buffer);
            if (got == 0 || (got < 0 && errno != EINTR && errno != EAGAIN)) {
                break; // end of input
            }
        }
        if (verbose) {
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
    printer.Stop();
    if (!link.empty()) {
        RemoveLinkTo(link, printer.DevicePath());
    }
    return 0;
}

#endif // !_WIN32
