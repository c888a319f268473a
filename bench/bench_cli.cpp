// tarvello-cli as a production line runs it, each run a process of its own against a
// tarvello-printer process on its own pseudo-terminal, each with its own parameter file:
//   - one `adjust reflective --standard 2.5` alone, from its start to its end, against the sum
//     of its fixed waits: the handshake's second and the first 50 ms reply poll, the start
//     purge's 100 ms, 300 ms per pass (100 ms before the frame, one 200 ms reply attempt) and
//     the close's second;
//   - 4 and 8 such runs started at once on 4 and 8 printers: the wall time until the last has
//     ended, against one alone.
// Usage: bench_cli   Prints one line per figure: name | measured | nominal | ratio | goal.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

// Fixed waits of one run besides its passes: handshake 1000 + first poll 50, start purge 100,
// close 1000.
constexpr double kFixedMs = 1000 + 50 + 100 + 1000;
constexpr double kPassMs = 300;

struct Printer {
    pid_t pid = -1;
    std::string device;
};

pid_t Spawn(const std::vector<std::string>& args, int out) {
    std::vector<char*> argv;
    for (const std::string& a : args)
        argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out, STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    pid_t pid = -1;
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0)
        pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool StartPrinter(Printer& printer) {
    int pipeFds[2];
    if (pipe(pipeFds) != 0)
        return false;
    printer.pid = Spawn({TARVELLO_PRINTER_PATH}, pipeFds[1]);
    close(pipeFds[1]);
    char c = 0;
    while (printer.pid > 0 && read(pipeFds[0], &c, 1) == 1 && c != '\n')
        printer.device += c;
    close(pipeFds[0]); // the printer's later output goes nowhere
    return printer.pid > 0 && !printer.device.empty();
}

void StopPrinter(const Printer& printer) {
    if (printer.pid > 0) {
        kill(printer.pid, SIGTERM);
        waitpid(printer.pid, nullptr, 0);
    }
}

// The passes of a run from its JSON object; 0 when there is none.
int PassesOf(const std::string& json) {
    const std::string key = "\"passes\":";
    const size_t at = json.find(key);
    return at == std::string::npos ? 0 : std::atoi(json.c_str() + at + key.size());
}

// n runs at once on n printers: the wall time until the last has ended, the passes of each
// (all must be alike) and whether every run succeeded.
bool RunAtOnce(int n, const std::string& folder, double& wallMs, int& passes) {
    std::vector<Printer> printers(static_cast<size_t>(n));
    bool ok = true;
    for (Printer& p : printers)
        ok = StartPrinter(p) && ok;
    std::vector<pid_t> runs;
    std::vector<std::string> outputs;
    const Clock::time_point start = Clock::now();
    for (int i = 0; ok && i < n; ++i) {
        const std::string dir = folder + "/run" + std::to_string(i);
        const std::string ini = dir + "/parameterset.ini";
        std::remove(ini.c_str());
        outputs.push_back(dir + "/out.json");
        const int out = open(outputs.back().c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        runs.push_back(Spawn({TARVELLO_CLI_PATH, "--port", printers[i].device, "--ini", ini,
                              "--json", "adjust", "reflective", "--standard", "2.5"},
                             out));
        close(out);
    }
    for (pid_t pid : runs) {
        int status = 0;
        ok = pid > 0 && waitpid(pid, &status, 0) == pid && WIFEXITED(status) &&
             WEXITSTATUS(status) == 0 && ok;
    }
    wallMs = std::chrono::duration<double, std::milli>(Clock::now() - start).count();
    passes = -1;
    for (const std::string& file : outputs) {
        std::ifstream in(file);
        std::stringstream text;
        text << in.rdbuf();
        const int p = PassesOf(text.str());
        ok = ok && (passes < 0 || p == passes) && p > 0;
        passes = p;
    }
    for (const Printer& p : printers)
        StopPrinter(p);
    return ok;
}

} // namespace

int main() {
    char pattern[] = "/tmp/tarvello-bench-cli-XXXXXX";
    const char* folder = mkdtemp(pattern);
    if (folder == nullptr)
        return 1;
    for (int i = 0; i < 8; ++i)
        mkdir((std::string(folder) + "/run" + std::to_string(i)).c_str(), 0755);

    double aloneMs = 0;
    int passes = 0;
    const bool aloneOk = RunAtOnce(1, folder, aloneMs, passes);
    const double nominal = kFixedMs + kPassMs * passes;
    std::printf("cli: adjust reflective 2.5 V, one process alone (%d passes) | %.1f ms | %.0f ms | "
                "%.3f x | <= 1.02 x%s\n",
                passes, aloneMs, nominal, aloneMs / nominal, aloneOk ? "" : " (NO: a run failed)");
    for (int n : {4, 8}) {
        double wallMs = 0;
        int p = 0;
        const bool ok = RunAtOnce(n, folder, wallMs, p);
        std::printf(
            "cli: %d adjust processes at once on %d printers, against one alone | %.1f ms | "
            "%.1f ms | %.3f x | <= 1.05 x%s\n",
            n, n, wallMs, aloneMs, wallMs / aloneMs,
            ok && p == passes ? "" : " (NO: a run failed or took other passes)");
    }
    std::string cleanup = std::string("rm -rf '") + folder + "'";
    return std::system(cleanup.c_str()) == 0 && aloneOk ? 0 : 1;
}
