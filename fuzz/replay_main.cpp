// Runs every file of the given folders (or the given files) once through the fuzz target, so the
// committed seed corpus is replayed as an ordinary test, with any compiler.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

std::vector<std::filesystem::path> InputsOf(const std::filesystem::path& path) {
    std::vector<std::filesystem::path> inputs;
    if (std::filesystem::is_directory(path)) {
        for (const auto& entry : std::filesystem::directory_iterator(path))
            if (entry.is_regular_file())
                inputs.push_back(entry.path());
        std::sort(inputs.begin(), inputs.end());
    } else {
        inputs.push_back(path);
    }
    return inputs;
}

} // namespace

int main(int argc, char** argv) {
    std::size_t replayed = 0;
    for (int a = 1; a < argc; ++a) {
        for (const auto& input : InputsOf(argv[a])) {
            std::ifstream file(input, std::ios::binary);
            if (!file) {
                std::fprintf(stderr, "cannot read %s\n", input.c_str());
                return 1;
            }
            // An exactly sized copy, so the address sanitizer sees any read past the input.
            const std::string bytes{std::istreambuf_iterator<char>(file), {}};
            std::vector<std::uint8_t> data(bytes.begin(), bytes.end());
            LLVMFuzzerTestOneInput(data.data(), data.size());
            ++replayed;
        }
    }
    std::printf("replayed %zu inputs\n", replayed);
    // A missing or empty corpus must not pass as a test that ran.
    return replayed == 0 ? 1 : 0;
}
