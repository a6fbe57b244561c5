// Feeds every file of the folders and files named on the command line to the
// fuzz target once.  A crash or sanitizer report fails the test; an empty
// corpus fails too, so a target never passes by testing nothing.
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

static int RunOne(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    LLVMFuzzerTestOneInput(bytes.data(), bytes.size());
    return 1;
}

int main(int argc, char** argv)
{
    int count = 0;
    for (int i = 1; i < argc; ++i) {
        std::filesystem::path arg(argv[i]);
        if (std::filesystem::is_directory(arg)) {
            for (const auto& entry : std::filesystem::recursive_directory_iterator(arg))
                if (entry.is_regular_file()) count += RunOne(entry.path());
        } else if (std::filesystem::exists(arg)) {
            count += RunOne(arg);
        }
    }
    std::printf("%d corpus inputs replayed\n", count);
    return count > 0 ? 0 : 1;
}
