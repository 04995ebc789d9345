// Runs a fuzz target without libFuzzer: every file given on the command line
// (or in the folders given), then a fixed number of deterministic mutations
// of each.  Built with compilers that have no libFuzzer, so that every test
// run exercises the targets a little.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace {

void Run(const std::string& input) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t*>(input.data()), input.size());
}

std::string Mutate(std::string input, std::mt19937& random) {
    int edits = 1 + static_cast<int>(random() % 8);
    for (int i = 0; i < edits; ++i) {
        size_t at = input.empty() ? 0 : random() % (input.size() + 1);
        switch (random() % 4) {
            case 0:
                input.insert(at, 1, static_cast<char>(random()));
                break;
            case 1:
                if (!input.empty() && at < input.size())
                    input.erase(at, 1 + random() % 16);
                break;
            case 2:
                if (at < input.size())
                    input[at] = static_cast<char>(random());
                break;
            default:
                input.insert(at, input.substr(0, random() % 64));
                break;
        }
    }
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> inputs = {std::string()};
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path path(argv[i]);
        std::vector<std::filesystem::path> files;
        if (std::filesystem::is_directory(path)) {
            for (const auto& entry : std::filesystem::directory_iterator(path))
                files.push_back(entry.path());
        } else {
            files.push_back(path);
        }
        for (const auto& file : files) {
            std::ifstream in(file, std::ios::binary);
            inputs.emplace_back(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
        }
    }
    std::mt19937 random(12345);
    size_t runs = 0;
    for (const std::string& input : inputs) {
        Run(input);
        std::string mutated = input;
        for (int i = 0; i < 500; ++i, ++runs) {
            mutated = Mutate(i % 50 == 0 ? input : mutated, random);
            Run(mutated);
        }
    }
    std::printf("%zu inputs, %zu mutations: no crash\n", inputs.size(), runs);
    return 0;
}
