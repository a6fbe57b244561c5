// Reading every member of a 50 MB zip of mixed files through the zip file
// system, next to zlib's own raw inflate of the same members from memory.
// The goal: the file system reads at least 80% of zlib's rate.
#include "../tests/files/ZipWriter.h"
#include "files/CxDirectoryFileSystem.h"
#include "files/CxZipFileSystem.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <unistd.h>
#include <vector>

namespace {
struct Archive {
    std::string path;
    std::vector<ZipMemberSpec> members;
    ZipLayout layout;
    std::vector<std::string> packed;   // each member's bytes as stored in the archive
    size_t totalBytes = 0;
};

std::string TextLike(size_t size, std::mt19937& random)
{
    static const char* words[] = {"the ", "cat ", "sat ", "on ", "a ", "warm ", "kennel ", "Room.OnPokePet(\"head\")\n",
                                  "treat=12\n", "[House]\n", "x = x + 1 ", "function ", "end\n", "local "};
    std::string out;
    out.reserve(size + 32);
    while (out.size() < size) out += words[random() % 14];
    out.resize(size);
    return out;
}

std::string ImageLike(size_t size, std::mt19937& random)
{
    std::string out(size, '\0');
    for (size_t i = 0; i < size; ++i) out[i] = char((i / 3 % 256) + (random() % 8));
    return out;
}

std::string Noise(size_t size, std::mt19937& random)
{
    std::string out(size, '\0');
    for (char& c : out) c = char(random());
    return out;
}

Archive& TheArchive()
{
    static Archive archive = [] {
        Archive a;
        std::mt19937 random(42);
        size_t total = 0;
        for (int i = 0; total < 50u << 20; ++i) {
            size_t size = 4096 + random() % (1u << 20);
            ZipMemberSpec m;
            m.name = "Data/Member" + std::to_string(i) + (i % 3 == 0 ? ".lua" : i % 3 == 1 ? ".tga" : ".wav");
            if (i % 3 == 0) m.data = TextLike(size, random);
            else if (i % 3 == 1) m.data = ImageLike(size, random);
            else { m.data = Noise(size, random); m.method = 0; }   // incompressible: stored, as archivers do
            total += size;
            a.members.push_back(std::move(m));
        }
        a.totalBytes = total;
        a.layout = BuildZip(a.members);
        for (size_t i = 0; i < a.members.size(); ++i) {
            size_t start = a.layout.localOffsets[i] + 30 + a.members[i].name.size();
            size_t end = i + 1 < a.members.size() ? a.layout.localOffsets[i + 1] : a.layout.centralOffsets[0];
            a.packed.push_back(a.layout.bytes.substr(start, end - start));
        }
        a.path = "/tmp/vorn-bench-" + std::to_string(getpid()) + ".zip";
        FILE* out = fopen(a.path.c_str(), "wb");
        fwrite(a.layout.bytes.data(), 1, a.layout.bytes.size(), out);
        fclose(out);
        return a;
    }();
    return archive;
}

void BM_ZipFileSystemReadAll(benchmark::State& state)
{
    Archive& a = TheArchive();
    CxDirectoryFileSystem folder;   // the default every application has, which opens the archive
    CxZipFileSystem zip(a.path.c_str(), "<Bench>");
    std::vector<char> buffer(1 << 18);
    for (auto _ : state) {
        for (const ZipMemberSpec& m : a.members) {
            QorFileHandle* h = QorFileOpen(("<Bench>" + m.name).c_str(), CBF_BINARY | CBF_READONLY);
            if (!h) {
                state.SkipWithError("member missing");
                return;
            }
            uint32_t got = 0;
            while (QorFileRead(h, buffer.data(), uint32_t(buffer.size()), &got) == 0 && got > 0) benchmark::DoNotOptimize(buffer.data());
            if (QorFileClose(h) != 0) state.SkipWithError("member failed its check");
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.totalBytes));
}
BENCHMARK(BM_ZipFileSystemReadAll)->Unit(benchmark::kMillisecond);

// The same members straight from memory: raw inflate for deflated ones, a
// copy for stored ones, no CRC and no file reads.
void BM_ZlibRawInflate(benchmark::State& state)
{
    Archive& a = TheArchive();
    std::vector<char> buffer(1 << 18);
    for (auto _ : state) {
        for (size_t i = 0; i < a.members.size(); ++i) {
            const std::string& in = a.packed[i];
            if (a.members[i].method == 0) {
                for (size_t at = 0; at < in.size(); at += buffer.size()) {
                    memcpy(buffer.data(), in.data() + at, std::min(buffer.size(), in.size() - at));
                    benchmark::DoNotOptimize(buffer.data());
                }
                continue;
            }
            z_stream s{};
            inflateInit2(&s, -MAX_WBITS);
            s.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.data()));
            s.avail_in = uInt(in.size());
            int result = Z_OK;
            while (result == Z_OK) {
                s.next_out = reinterpret_cast<Bytef*>(buffer.data());
                s.avail_out = uInt(buffer.size());
                result = inflate(&s, Z_SYNC_FLUSH);
                benchmark::DoNotOptimize(buffer.data());
            }
            inflateEnd(&s);
        }
    }
    state.SetBytesProcessed(int64_t(state.iterations()) * int64_t(a.totalBytes));
}
BENCHMARK(BM_ZlibRawInflate)->Unit(benchmark::kMillisecond);
}  // namespace

int main(int argc, char** argv)
{
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (!TheArchive().path.empty()) std::remove(TheArchive().path.c_str());
    return 0;
}
