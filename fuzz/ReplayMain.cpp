// The fuzz targets without libFuzzer: every file named on the command line, and every file
// under every folder named (in name order), goes through the target once. Built with any
// compiler; the tests run it over the seed corpus and the regressions, under the sanitizers
// in CI. A fault shows as a crash or a sanitizer report after the name of its input.
#include "fuzz/FuzzSupport.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

int main(int argc, char **argv)
{
    std::vector<fs::path> inputs;
    for (int i = 1; i < argc; ++i) {
        const fs::path named(argv[i]);
        std::error_code error;
        if (fs::is_directory(named, error)) {
            std::vector<fs::path> found;
            for (const fs::directory_entry &entry : fs::recursive_directory_iterator(named))
                if (entry.is_regular_file())
                    found.push_back(entry.path());
            std::sort(found.begin(), found.end());
            inputs.insert(inputs.end(), found.begin(), found.end());
        } else if (fs::is_regular_file(named, error)) {
            inputs.push_back(named);
        } else {
            std::fprintf(stderr, "no such file or folder: %s\n", argv[i]);
            return 2;
        }
    }
    if (inputs.empty()) {
        std::fprintf(stderr, "usage: %s FILE|FOLDER...   (no inputs found)\n", argc > 0 ? argv[0] : "replay");
        return 2;
    }
    for (const fs::path &input : inputs) {
        std::ifstream in(input, std::ios::binary);
        const std::string data((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (!in.good() && !in.eof()) {
            std::fprintf(stderr, "cannot read %s\n", input.c_str());
            return 2;
        }
        std::fprintf(stderr, "%s ...", input.c_str());
        const auto start = std::chrono::steady_clock::now();
        LLVMFuzzerTestOneInput(reinterpret_cast<const uint8_t *>(data.data()), data.size());
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        std::fprintf(stderr, " %lld ms\n", static_cast<long long>(ms.count()));
    }
    std::fprintf(stderr, "%zu inputs replayed\n", inputs.size());
    return 0;
}
