// Times one read and one write of a key in a 10,000-line parameter file (medians of several
// runs). Prints "name | measured | goal" lines.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <random>
#include <string>
#include <vector>

#include "store/IniFile.h"

namespace {

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

template <typename F> double MedianMs(int runs, F f) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        auto start = std::chrono::steady_clock::now();
        f(i);
        auto end = std::chrono::steady_clock::now();
        times.push_back(std::chrono::duration<double, std::milli>(end - start).count());
    }
    return Median(times);
}

} // namespace

int main() {
    namespace fs = std::filesystem;
    std::error_code ec;
    fs::path folder;
    for (unsigned n = std::random_device{}();; ++n) {
        folder = fs::temp_directory_path(ec) / ("tarvello-bench-ini-" + std::to_string(n));
        if (ec) {
            std::fprintf(stderr, "no temporary folder: %s\n", ec.message().c_str());
            return 1;
        }
        if (fs::create_directory(folder, ec)) {
            break;
        }
        if (ec) {
            std::fprintf(stderr, "%s: %s\n", folder.string().c_str(), ec.message().c_str());
            return 1;
        }
    }
    const std::string path = (folder / "parameterset.ini").string();

    // 1,000 sections of one header and nine keys each; the keys looked up sit in the last one.
    std::string content;
    for (int s = 0; s < 1000; ++s) {
        content += "[Section" + std::to_string(s) + "]\r\n";
        for (int k = 0; k < 9; ++k) {
            content += "Key" + std::to_string(k) + "=" + std::to_string(s * 10 + k) + ".25\r\n";
        }
    }
    if (std::FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(content.data(), 1, content.size(), f);
        std::fclose(f);
    } else {
        std::perror(path.c_str());
        return 1;
    }

    CIniFile ini;
    ini.SetFileName(path);
    volatile size_t sink = 0;
    const double readMs =
        MedianMs(21, [&](int) { sink = sink + ini.GetString("Section999", "Key8", "").size(); });
    const double writeMs = MedianMs(
        21, [&](int i) { ini.WriteString("Section500", "Key4", std::to_string(i) + ".5"); });
    const size_t lines = ini.GetLines().size();

    std::printf("ini GetString, %zu-line file | %.3f ms | 5 ms\n", lines, readMs);
    std::printf("ini WriteString, %zu-line file | %.3f ms | 10 ms\n", lines, writeMs);

    fs::remove_all(folder, ec);
    return 0;
}
