// A fuzz target without libFuzzer: every file named on the command line (a
// folder stands for the files in it) is given to the target once, as
// libFuzzer replays a corpus. The sanitizer build runs the corpora this way
// in every test run; a target that finds a fault aborts, and the file it
// was given is named first.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

std::string read_file(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::filesystem::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const std::filesystem::path arg(argv[i]);
        if (!std::filesystem::is_directory(arg)) {
            inputs.push_back(arg);
            continue;
        }
        for (const auto& entry : std::filesystem::directory_iterator(arg))
            if (entry.is_regular_file()) inputs.push_back(entry.path());
    }
    for (const std::filesystem::path& input : inputs) {
        std::fprintf(stderr, "%s\n", input.c_str());
        const std::string data = read_file(input);
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(data.data()), data.size());
    }
    std::printf("%s: %zu inputs\n", argc > 0 ? argv[0] : "replay", inputs.size());
    return 0;
}
