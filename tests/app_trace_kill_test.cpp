// test-labels: e2e
// `tarvello --simulate --screenshots DIR --trace FILE` killed with SIGKILL while it works on the
// virtual printer: every line of the trace file before the kill is whole.
#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

#include "app/Tarvello.h"

namespace {

long CountLines(const std::string& path) {
    std::ifstream in(path);
    return std::count(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>(), '\n');
}

TEST(AppTraceKill, TheTraceFileKeepsEveryWholeLineThroughAKillOfTheTool) {
    char dir[] = "/tmp/tarvello-trace-kill-XXXXXX";
    ASSERT_NE(::mkdtemp(dir), nullptr);
    const std::string trace = std::string(dir) + "/trace.txt";
    const std::string shots = std::string(dir) + "/shots";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
        if (::chdir(dir) != 0) {
            ::_exit(3);
        }
        std::string args[] = {"tarvello", "--simulate", "--screenshots", shots, "--trace", trace};
        char* argv[] = {args[0].data(), args[1].data(), args[2].data(), args[3].data(),
                        args[4].data(), args[5].data(), nullptr};
        ::_exit(CTarvelloApp().Run(6, argv));
    }
    // Killed in the middle of its exchanges: once the adjustments have begun.
    const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(60);
    while (CountLines(trace) < 40 && std::chrono::steady_clock::now() < end) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status)) << "the tool ended before the kill";

    std::ifstream in(trace, std::ios::binary);
    const std::string all((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::regex entry(R"( *\d+\.\d{3} (->|<-|x ) (open|monitor|adjust|reading|check) +)"
                           R"([0-9A-F]{2}( [0-9A-F]{2})* \| .+)");
    size_t begin = 0;
    long entries = 0;
    for (size_t e; (e = all.find('\n', begin)) != std::string::npos; begin = e + 1) {
        const std::string line = all.substr(begin, e - begin);
        if (line.rfind("# ", 0) == 0) {
            continue;
        }
        EXPECT_TRUE(std::regex_match(line, entry)) << line;
        ++entries;
    }
    EXPECT_GE(entries, 39);
    EXPECT_NE(all.find("-> open     02 6B 0D | <STX>k<CR>\n"), std::string::npos);
    std::filesystem::remove_all(dir);
}

} // namespace
