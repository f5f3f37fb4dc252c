#include "Floor.h"
#include "Measure.h"

#include <DataFiles.h>
#include <LineList.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <string>
#include <thread>

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;

// Lines as the program counts them: CR, LF and CR LF end a line, and a last
// line without an end is a line. Sixteen bytes at a time, counted, not kept.
std::size_t countLines(const char* data, std::size_t size)
{
    std::size_t ends = 0;
    std::size_t i = 0;
#ifdef __SSE2__
    for (; size - i >= 16; i += 16) {
        const __m128i bytes = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + i));
        const auto lf = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\n'))));
        const auto cr = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(bytes, _mm_set1_epi8('\r'))));
        unsigned bits = lf | (cr & ~(lf >> 1));
        if ((cr & 0x8000) && i + 16 < size && data[i + 16] == '\n')
            bits &= 0x7fff;
        for (; bits != 0; bits &= bits - 1) // a popcount instruction is not in every x86-64
            ++ends;
    }
#endif
    for (; i < size; ++i)
        ends += data[i] == '\n' || (data[i] == '\r' && (i + 1 == size || data[i + 1] != '\n'));
    return ends + (size > 0 && data[size - 1] != '\n' && data[size - 1] != '\r');
}

class OpenFile {
public:
    explicit OpenFile(const std::string& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC))
    {
        struct stat info {};
        if (fd_ < 0 || ::fstat(fd_, &info) < 0)
            throw std::runtime_error("cannot read " + path);
        size_ = static_cast<std::size_t>(info.st_size);
    }
    ~OpenFile() { ::close(fd_); }
    int fd() const { return fd_; }
    std::size_t size() const { return size_; }

    std::size_t readAll(char* buffer) const
    {
        std::size_t got = 0;
        for (ssize_t n; got < size_ && (n = ::read(fd_, buffer + got, size_ - got)) > 0;)
            got += static_cast<std::size_t>(n);
        return got;
    }

private:
    int fd_;
    std::size_t size_ = 0;
};

// The process ends right after the figure is taken: its memory is not given back.
char* hugePageBuffer(std::size_t bytes)
{
    const std::size_t length = (bytes + kHugePage - 1) / kHugePage * kHugePage;
    void* mapped = ::mmap(nullptr, length + kHugePage, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapped == MAP_FAILED)
        throw std::runtime_error("no memory for the read");
    auto* aligned = reinterpret_cast<char*>((reinterpret_cast<std::uintptr_t>(mapped) + kHugePage - 1) & ~(kHugePage - 1));
    ::madvise(aligned, length, MADV_HUGEPAGE);
    return aligned;
}

std::size_t linesOf(FloorWay way, const std::string& path)
{
    const OpenFile file(path);
    switch (way) {
    case FloorWay::HugeRead: {
        char* bytes = hugePageBuffer(file.size() + 1);
        return countLines(bytes, file.readAll(bytes));
    }
    case FloorWay::Mapping: {
        if (file.size() == 0)
            return 0;
        void* mapped = ::mmap(nullptr, file.size(), PROT_READ, MAP_SHARED | MAP_POPULATE, file.fd(), 0);
        if (mapped == MAP_FAILED)
            throw std::runtime_error("cannot map " + path);
        return countLines(static_cast<const char*>(mapped), file.size());
    }
    case FloorWay::OldRead: {
        auto bytes = std::make_unique_for_overwrite<char[]>(file.size() + 1);
        const char* end = bytes.get() + file.readAll(bytes.get());
        std::size_t lines = 0;
        for (const char* p = bytes.get(); p < end; ++lines) {
            const void* lf = std::memchr(p, '\n', static_cast<std::size_t>(end - p));
            p = lf ? static_cast<const char*>(lf) + 1 : end;
        }
        return lines;
    }
    }
    return 0;
}

constexpr std::array<std::string_view, 3> kFileNames = {logbook::kEntryLogName, logbook::kBranchListName,
                                                   logbook::kReasonListName};

} // namespace

std::string_view floorWayName(FloorWay way)
{
    switch (way) {
    case FloorWay::HugeRead: return "huge";
    case FloorWay::Mapping: return "map";
    case FloorWay::OldRead: return "old";
    }
    return "";
}

bool hugePagesOffered()
{
    std::ifstream modes("/sys/kernel/mm/transparent_hugepage/enabled");
    const std::string text((std::istreambuf_iterator<char>(modes)), std::istreambuf_iterator<char>());
    return text.find("[always]") != std::string::npos || text.find("[madvise]") != std::string::npos;
}

double timeFloor(FloorWay way, const DataSet& set)
{
    const auto start = Clock::now();
    std::size_t lines = 0;
    for (std::string_view name : kFileNames)
        lines += linesOf(way, logbook::dataFilePath(set.directory, name));
    const double ms = msSince(start);
    check(lines == set.size.entries + set.size.branches + set.size.reasons,
          "line count of the " + std::string(floorWayName(way)) + " floor");
    return ms;
}

double splitMegabytesPerSecond(const DataSet& set, int runs, double& indexKb)
{
    if (set.fileBytes == 0)
        return 0;
    std::vector<std::string> files;
    for (std::string_view name : kFileNames) {
        std::ifstream in(logbook::dataFilePath(set.directory, name), std::ios::binary);
        files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::vector<double> times;
    for (int run = 0; run < runs; ++run) {
        double ms = 0;
        std::size_t lines = 0, indexBytes = 0;
        for (const std::string& bytes : files) {
            logbook::PageBytes copy = logbook::allocatePageBytes(bytes.size());
            std::memcpy(copy.get(), bytes.data(), bytes.size());
            const auto start = Clock::now();
            logbook::LineIndex index = logbook::indexLines(copy.get(), bytes.size(), std::max(1u, std::thread::hardware_concurrency()));
            indexBytes += logbook::LineList::indexBytes(index);
            const logbook::LineList list(std::move(copy), bytes.size(), std::move(index));
            ms += msSince(start);
            lines += list.size();
        }
        check(lines == set.size.entries + set.size.branches + set.size.reasons, "line count of the split");
        times.push_back(ms);
        indexKb = static_cast<double>(indexBytes) / 1024.0;
    }
    return static_cast<double>(set.fileBytes) / 1000.0 / median(times);
}
