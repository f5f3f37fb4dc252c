#pragma once
// A file system with faults on demand: each call is recorded and passed on
// to the one below (by default the platform's own), unless the plan makes it
// fail with an error or pass on only part of a write, as a full disk or a
// broken device would.

#include <FileSystem.h>

#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace testing_support {

enum class Step { Open, Size, ReadAt, Map, Append, Sync, Truncate, Lock, Unlock, Close, SyncFolder };

struct Call {
    Step step;
    std::string path; // the file's; the folder's for SyncFolder
};

struct Fault {
    int error = 0;      // the call fails with this system error code
    long maxBytes = -1; // appends: at most this many bytes go through
};

class FaultyFileSystem : public logbook::FileSystem {
public:
    // The fault for a call, given its index among all calls recorded.
    using Plan = std::function<Fault(std::size_t index, const Call& call)>;

    explicit FaultyFileSystem(Plan plan = {}, logbook::FileSystem& below = logbook::platformFileSystem())
        : plan(std::move(plan))
        , real_(below)
    {
    }
    int open(const std::string& path, logbook::Access access, std::unique_ptr<logbook::File>& file,
             bool& created) override
    {
        std::unique_ptr<logbook::File> real;
        const int error = pass(Step::Open, path, [&] { return real_.open(path, access, real, created); });
        if (real)
            file = std::make_unique<FaultyFile>(*this, path, std::move(real));
        return error;
    }
    int syncFolder(const std::string& folder) override
    {
        return pass(Step::SyncFolder, folder, [&] { return real_.syncFolder(folder); });
    }

    std::vector<Call> calls;
    Plan plan;

private:
    template<typename Real> int pass(Step step, const std::string& path, Real real, std::size_t* bytes = nullptr)
    {
        std::unique_lock hold(lock_); // a large file is read on several threads
        calls.push_back({step, path});
        const Fault fault = plan ? plan(calls.size() - 1, calls.back()) : Fault{};
        hold.unlock();
        if (bytes && fault.maxBytes >= 0 && *bytes > static_cast<std::size_t>(fault.maxBytes))
            *bytes = static_cast<std::size_t>(fault.maxBytes);
        return fault.error ? fault.error : real();
    }

    class FaultyFile final : public logbook::File {
    public:
        FaultyFile(FaultyFileSystem& files, std::string path, std::unique_ptr<logbook::File> real)
            : files_(files), path_(std::move(path)), real_(std::move(real))
        {
        }
        int size(std::uint64_t& bytes) override { return pass(Step::Size, [&] { return real_->size(bytes); }); }
        int readAt(std::uint64_t offset, char* buffer, std::size_t most, std::size_t& got) override
        {
            return pass(Step::ReadAt, [&] { return real_->readAt(offset, buffer, most, got); });
        }
        int map(std::uint64_t size, logbook::PageBytes& bytes) override
        {
            return pass(Step::Map, [&] { return real_->map(size, bytes); });
        }
        // A write cut to `maxBytes`; taking nothing at all is what a full device does.
        int append(const char* data, std::size_t size, std::size_t& written) override
        {
            written = 0;
            return files_.pass(Step::Append, path_, [&] { return size ? real_->append(data, size, written) : 0; }, &size);
        }
        int sync() override { return pass(Step::Sync, [&] { return real_->sync(); }); }
        int truncate(std::uint64_t size) override { return pass(Step::Truncate, [&] { return real_->truncate(size); }); }
        int tryLock() override { return pass(Step::Lock, [&] { return real_->tryLock(); }); }
        void unlock() override { pass(Step::Unlock, [&] { return real_->unlock(), 0; }); }
        int close() override { return pass(Step::Close, [&] { return real_->close(); }); }

    private:
        template<typename Real> int pass(Step step, Real real) { return files_.pass(step, path_, real); }

        FaultyFileSystem& files_;
        std::string path_;
        std::unique_ptr<logbook::File> real_;
    };

    logbook::FileSystem& real_;
    std::mutex lock_;
};

} // namespace testing_support
