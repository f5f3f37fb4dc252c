// Runs the fuzz target once over each given file and each file of the given
// folders, so that every build (also one without libFuzzer) replays the seed
// corpus and any crash input a fuzzing run found.

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

int main(int argc, char** argv)
{
    std::vector<std::filesystem::path> inputs(argv + 1, argv + argc);
    for (int i = 1; i < argc; ++i) {
        if (std::filesystem::is_directory(argv[i]))
            inputs.insert(inputs.end(), std::filesystem::directory_iterator(argv[i]), {});
    }
    std::erase_if(inputs, [](const auto& path) { return std::filesystem::is_directory(path); });
    for (const auto& path : inputs) {
        std::ifstream in(path, std::ios::binary);
        if (!in)
            return std::fprintf(stderr, "cannot read %s\n", path.c_str()), 1;
        const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
        LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    }
    std::printf("replayed %zu inputs\n", inputs.size());
    return inputs.empty() ? 1 : 0;
}
