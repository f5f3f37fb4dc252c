#include "Options.h"

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace {

constexpr std::size_t kHostileBytes = 100'000'000;

// "1000000" or "1000000:100000:100000" (entries, branches, reasons), or
// "hostile" (a log of one 100 MB line) or "hostile:BYTES".
DataSetSize parseSize(const std::string& text)
{
    DataSetSize size;
    if (text.rfind("hostile", 0) == 0) {
        size.entries = 1;
        size.singleLineBytes = kHostileBytes;
        if (text.size() > 7 && std::sscanf(text.c_str(), "hostile:%zu", &size.singleLineBytes) != 1)
            throw std::runtime_error("not a size: " + text);
        return size;
    }
    const int fields = std::sscanf(text.c_str(), "%zu:%zu:%zu", &size.entries, &size.branches, &size.reasons);
    if (fields == 1) {
        size.branches = size.entries == 0 ? 0 : 100;
        size.reasons = size.entries == 0 ? 0 : 300;
    } else if (fields != 3) {
        throw std::runtime_error("not a size: " + text);
    }
    return size;
}

std::vector<DataSetSize> parseSizes(const std::string& list)
{
    std::vector<DataSetSize> sizes;
    for (std::size_t start = 0; start <= list.size();) {
        const std::size_t comma = std::min(list.find(',', start), list.size());
        sizes.push_back(parseSize(list.substr(start, comma - start)));
        start = comma + 1;
    }
    return sizes;
}

} // namespace

Options parseOptions(int argc, char** argv)
{
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                throw std::runtime_error(arg + " needs a value");
            return argv[++i];
        };
        if (arg == "--smoke") {
            options.smoke = true;
            options.runs = 1;
            options.saves = 8;
        } else if (arg == "--runs") {
            options.runs = std::max(1, std::stoi(value()));
        } else if (arg == "--saves") {
            options.saves = std::max(4, std::stoi(value()));
        } else if (arg == "--dir") {
            options.baseDirectory = value();
        } else if (arg == "--sizes") {
            options.sizes = parseSizes(value());
        } else if (arg == "--keep") {
            options.keep = true;
        } else {
            throw std::runtime_error("usage: tolmarin-bench [--smoke] [--runs N] [--saves N] [--dir FOLDER] [--keep]\n"
                                     "                      [--sizes ENTRIES[:BRANCHES:REASONS]|hostile[:BYTES],...]");
        }
    }
    if (options.sizes.empty())
        options.sizes = options.smoke ? parseSizes("1000:20:30,1000:1000:1000,hostile:100000")
                                      : parseSizes("10000,100000,1000000,1000000:100000:100000,10000000,hostile");
    std::erase_if(options.sizes, [](const DataSetSize& size) { return size.isEmpty(); });
    options.sizes.insert(options.sizes.begin(), DataSetSize{});
    return options;
}
