// Runs a fuzz target without the fuzzing engine: every input of the corpus folders, then a fixed number of
// variations of them made by a seeded generator. The suite's smoke runs use it, so the engine's targets are built
// with the project's own compiler and sanitizers against the libraries the tests use, instead of by a second build
// of those libraries. It takes the engine's flags it needs (-runs=, -max_len=, -seed=) and ignores the others;
// the first folder given is where the engine would keep new inputs, and is only read here.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);
extern "C" __attribute__((weak)) int LLVMFuzzerInitialize(int* argc, char*** argv);

namespace {

namespace fs = std::filesystem;
using Input = std::vector<uint8_t>;

struct Options {
    long runs = 1000;
    size_t maxLen = 4096;
    unsigned seed = 1;
    std::vector<std::string> folders;
};

Options ParseOptions(int argc, char** argv)
{
    Options o;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&](const char* name) -> const char* {
            const size_t n = std::strlen(name);
            return arg.compare(0, n, name) == 0 ? arg.c_str() + n : nullptr;
        };
        if (const char* v = value("-runs="))
            o.runs = std::max(0L, std::atol(v));
        else if (const char* v = value("-max_len="))
            o.maxLen = std::max(1L, std::atol(v));
        else if (const char* v = value("-seed="))
            o.seed = static_cast<unsigned>(std::strtoul(v, nullptr, 10));
        else if (arg.empty() || arg[0] != '-')
            o.folders.push_back(arg);
    }
    return o;
}

std::vector<Input> ReadCorpus(const Options& o)
{
    std::vector<fs::path> files;
    for (const std::string& folder : o.folders) {
        std::error_code ec;
        for (const auto& e : fs::directory_iterator(folder, ec))
            if (e.is_regular_file())
                files.push_back(e.path());
    }
    std::sort(files.begin(), files.end()); // the same order, and so the same variations, on every machine
    std::vector<Input> corpus;
    for (const fs::path& f : files) {
        std::ifstream in(f, std::ios::binary);
        Input bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        if (bytes.size() > o.maxLen)
            bytes.resize(o.maxLen);
        corpus.push_back(std::move(bytes));
    }
    if (corpus.empty())
        corpus.emplace_back();
    return corpus;
}

// The values that most often sit on a boundary of a length, a count or an offset.
constexpr uint32_t kInteresting[] = {0, 1, 2, 0x7F, 0x80, 0xFF, 0x100, 0x200, 0x7FFF, 0x8000, 0xFFFF,
                                     0x10000, 0x7FFFFFFF, 0x80000000u, 0xFFFFFFFFu};

class Mutator {
public:
    explicit Mutator(unsigned seed) : rng_(seed) {}

    size_t Below(size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(rng_) : 0; }

    void Mutate(Input& data, const std::vector<Input>& corpus, size_t maxLen)
    {
        const size_t steps = 1 + Below(4);
        for (size_t s = 0; s < steps; ++s)
            Step(data, corpus);
        if (data.size() > maxLen)
            data.resize(maxLen);
    }

private:
    void Step(Input& data, const std::vector<Input>& corpus)
    {
        const size_t size = data.size();
        switch (Below(8)) {
        case 0: // flip a bit
            if (size)
                data[Below(size)] ^= uint8_t(1u << Below(8));
            break;
        case 1: // a random byte
            if (size)
                data[Below(size)] = uint8_t(Below(256));
            break;
        case 2: { // a boundary value, 1, 2 or 4 bytes wide, little-endian
            const size_t width = size_t(1) << Below(3);
            if (size < width)
                break;
            const uint32_t v = kInteresting[Below(std::size(kInteresting))];
            const size_t at = Below(size - width + 1);
            for (size_t i = 0; i < width; ++i)
                data[at + i] = uint8_t(v >> (8 * i));
            break;
        }
        case 3: { // a small step up or down of a 32-bit number
            if (size < 4)
                break;
            const size_t at = Below(size - 3);
            uint32_t v = 0;
            for (size_t i = 0; i < 4; ++i)
                v |= uint32_t(data[at + i]) << (8 * i);
            v += uint32_t(Below(33)) - 16u;
            for (size_t i = 0; i < 4; ++i)
                data[at + i] = uint8_t(v >> (8 * i));
            break;
        }
        case 4: { // insert random bytes
            const size_t n = 1 + Below(16);
            Input bytes(n);
            for (auto& b : bytes)
                b = uint8_t(Below(256));
            data.insert(data.begin() + std::ptrdiff_t(Below(size + 1)), bytes.begin(), bytes.end());
            break;
        }
        case 5: { // erase a range
            if (!size)
                break;
            const size_t at = Below(size);
            const size_t n = 1 + Below(std::min<size_t>(size - at, 64));
            data.erase(data.begin() + std::ptrdiff_t(at), data.begin() + std::ptrdiff_t(at + n));
            break;
        }
        case 6: { // repeat a range of the input elsewhere in it
            if (!size)
                break;
            const size_t from = Below(size);
            const size_t n = 1 + Below(std::min<size_t>(size - from, 128));
            const Input piece(data.begin() + std::ptrdiff_t(from), data.begin() + std::ptrdiff_t(from + n));
            const size_t to = Below(size - n + 1);
            std::copy(piece.begin(), piece.end(), data.begin() + std::ptrdiff_t(to));
            break;
        }
        default: { // a range of another input of the corpus over this one
            const Input& other = corpus[Below(corpus.size())];
            if (other.empty() || !size)
                break;
            const size_t from = Below(other.size());
            const size_t n = 1 + Below(std::min(other.size() - from, size));
            const size_t to = Below(size - n + 1);
            std::copy_n(other.begin() + std::ptrdiff_t(from), n, data.begin() + std::ptrdiff_t(to));
            break;
        }
        }
    }

    std::mt19937 rng_;
};

void Run(const Input& data)
{
    // A heap copy of exactly the input's size, so a read past its end is caught.
    std::unique_ptr<uint8_t[]> copy(new uint8_t[data.size() ? data.size() : 1]);
    std::copy(data.begin(), data.end(), copy.get());
    LLVMFuzzerTestOneInput(copy.get(), data.size());
}

} // namespace

int main(int argc, char** argv)
{
    if (LLVMFuzzerInitialize)
        LLVMFuzzerInitialize(&argc, &argv);
    const Options options = ParseOptions(argc, argv);
    const std::vector<Input> corpus = ReadCorpus(options);
    for (const Input& input : corpus)
        Run(input);
    Mutator mutator(options.seed);
    for (long i = 0; i < options.runs; ++i) {
        Input input = corpus[mutator.Below(corpus.size())];
        mutator.Mutate(input, corpus, options.maxLen);
        Run(input);
    }
    std::printf("Done %zu inputs of the corpus and %ld variations\n", corpus.size(), options.runs);
    return 0;
}
