#include "bench/bench_support.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <sys/wait.h>
#include <unistd.h>

namespace arb::bench {

namespace {

std::string DataFolder() {
    const char* env = std::getenv("ARB_BENCH_DATA");
    return env && *env ? env : "/tmp/arb-bench";
}

// Deterministic values, so every run measures the same bytes.
class Values {
  public:
    std::uint64_t next() {
        state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
        return state_ >> 33;
    }

    // Volts from -9.999999 to 9.999999 with 4 to 6 decimals.
    void appendVolts(std::string& out) {
        static constexpr std::uint32_t kScale[] = {10000, 100000, 1000000};
        const int decimals = 4 + static_cast<int>(next() % 3);
        const std::uint32_t scale = kScale[decimals - 4];
        const std::uint64_t units = next() % (10ull * scale);
        if (next() & 1)
            out += '-';
        out += static_cast<char>('0' + units / scale);
        out += '.';
        char digits[8];
        std::uint64_t frac = units % scale;
        for (int i = decimals - 1; i >= 0; --i, frac /= 10)
            digits[i] = static_cast<char>('0' + frac % 10);
        out.append(digits, static_cast<std::size_t>(decimals));
    }

  private:
    std::uint64_t state_ = 0x5EED;
};

void WriteTable(const std::string& path, std::size_t rows, std::size_t columns) {
    std::string text;
    for (std::size_t c = 0; c < columns; ++c)
        text += (c ? "\tch" : "ch") + std::to_string(c + 1);
    text += "\r\n";
    Values values;
    for (std::size_t r = 0; r < rows; ++r) {
        for (std::size_t c = 0; c < columns; ++c) {
            if (c)
                text += '\t';
            values.appendVolts(text);
        }
        text += "\r\n";
    }
    const std::string part = path + ".part";
    std::ofstream out(part, std::ios::binary | std::ios::trunc);
    out.write(text.data(), static_cast<std::streamsize>(text.size()));
    out.close();
    if (!out)
        throw std::runtime_error("cannot write " + part);
    std::filesystem::rename(part, path);
}

BenchFile Generate(const std::string& name, std::size_t rows, std::size_t columns) {
    namespace fs = std::filesystem;
    const fs::path folder = DataFolder();
    fs::create_directories(folder);
    BenchFile file{(folder / name).string(), rows, columns, 0};
    // Written by a child, so this process keeps none of the memory it took.
    if (!fs::exists(file.path))
        MeasureInChild([&] {
            WriteTable(file.path, rows, columns);
            return 0.0;
        });
    file.bytes = fs::file_size(file.path);
    return file;
}

double ReadStatusKB(const char* key) {
    std::ifstream status("/proc/self/status");
    std::string word;
    while (status >> word) {
        if (word == key) {
            double kb = 0;
            status >> kb;
            return kb;
        }
    }
    return 0;
}

} // namespace

BenchFile BigFile() {
    return Generate("file_a_1000000x16.tsv", 1000000, 16);
}

BenchFile SmallFile() {
    return Generate("file_small_100000x2.tsv", 100000, 2);
}

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

Sample MeasureInChild(const std::function<double()>& work) {
    int fds[2];
    if (pipe(fds) != 0)
        throw std::runtime_error("pipe failed");
    std::fflush(nullptr);
    const pid_t child = fork();
    if (child == 0) {
        close(fds[0]);
        // The peak counts from here: forget the parent's history.
        if (std::FILE* refs = std::fopen("/proc/self/clear_refs", "w")) {
            std::fputs("5", refs);
            std::fclose(refs);
        }
        const double baseKB = ReadStatusKB("VmRSS:");
        Sample sample;
        try {
            sample.seconds = work();
        } catch (const std::exception& e) {
            std::fprintf(stderr, "measurement failed: %s\n", e.what());
            _exit(1);
        }
        sample.peakBytes = (ReadStatusKB("VmHWM:") - baseKB) * 1024.0;
        const ssize_t written = write(fds[1], &sample, sizeof sample);
        _exit(written == sizeof sample ? 0 : 1);
    }
    close(fds[1]);
    Sample sample;
    const ssize_t got = read(fds[0], &sample, sizeof sample);
    close(fds[0]);
    int status = 0;
    waitpid(child, &status, 0);
    if (got != sizeof sample || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
        throw std::runtime_error("a measurement failed in its child process");
    return sample;
}

Summary Summarise(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    if (values.empty())
        return {};
    return {values[values.size() / 2], values.front(), values.back()};
}

Figures Repeat(int runs, const std::function<double()>& work) {
    std::vector<double> seconds, peaks;
    for (int i = 0; i < runs; ++i) {
        const Sample s = MeasureInChild(work);
        seconds.push_back(s.seconds);
        peaks.push_back(s.peakBytes / 1e6);
    }
    return {Summarise(seconds), Summarise(peaks)};
}

void PrintFigures(const std::string& name, const Figures& f) {
    std::printf("  %-44s %8.3f s [%.3f..%.3f]  peak %7.1f MB [%.1f..%.1f]\n", name.c_str(),
                f.seconds.median, f.seconds.min, f.seconds.max, f.peakMB.median, f.peakMB.min,
                f.peakMB.max);
}

bool PrintVerdict(const std::string& target, double ratio, double limit) {
    const bool met = ratio <= limit;
    std::printf("  target: %-50s %.2fx (limit %.2gx)  %s\n", target.c_str(), ratio, limit,
                met ? "met" : "NOT met");
    return met;
}

void Keep(std::size_t value) {
    asm volatile("" : : "r"(value) : "memory");
}

} // namespace arb::bench
