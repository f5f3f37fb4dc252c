#pragma once
// A file system over real files that knows what a power cut could leave of
// them. Every call goes on to the file system below; beside it this keeps,
// for each file, what a cut could not take away, by the rules a POSIX file
// system keeps:
// - what was written, and a truncation, is on disk once a later sync of that
//   file has succeeded;
// - what was not synced survives in the order it was made: each write whole,
//   not at all, or torn after a 512-byte boundary of the file, and nothing
//   after the first that does not survive whole; or the file's size grown
//   by a write before its data, over zeros or stale bytes;
// - the pages of a write whose sync failed stay clean in the cache, never
//   written: a later sync that succeeds makes only the size durable;
// - a file made or removed stays so only once its folder has been synced.
// The power goes at the call chosen by cutAt(): that call throws PowerCut.
// restore() then rewrites the real folder into one of the states the cut
// could leave, chosen by the caller's random generator.

#include <DataFiles.h>
#include <FileSystem.h>

#include <algorithm>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

namespace testing_support {

// Of no type the program catches: like the power, it ends whatever runs.
struct PowerCut {};

class PowerCutFileSystem : public logbook::FileSystem {
public:
    using Contents = std::optional<std::string>; // nothing: no such file

    explicit PowerCutFileSystem(logbook::FileSystem& below = logbook::platformFileSystem())
        : below_(below)
    {
    }

    int open(const std::string& path, logbook::Access access, std::unique_ptr<logbook::File>& file,
             bool& created) override
    {
        tick();
        Name& name = seen(path);
        std::unique_ptr<logbook::File> opened;
        const int error = below_.open(path, access, opened, created);
        if (error != 0)
            return error;
        if (created)
            name.now = std::make_shared<Inode>(); // on disk once the folder is synced
        file = std::make_unique<CutFile>(*this, name.now, std::move(opened));
        return 0;
    }

    int syncFolder(const std::string& folder) override
    {
        tick();
        const int error = below_.syncFolder(folder);
        for (auto& [path, name] : names_) {
            if (error == 0 && logbook::parentDirectory(path) == folder)
                name.onDisk = name.now;
        }
        return error;
    }

    // Another program removes the file, without syncing the folder.
    void remove(const std::string& path)
    {
        seen(path).now = nullptr;
        std::filesystem::remove(path);
    }

    // A sync of the file failed: what it was to write never reaches the disk.
    void syncFailed(const std::string& path)
    {
        for (Change& change : names_.at(path).now->pending)
            std::fill(change.bytes.begin(), change.bytes.end(), '\0');
    }

    // The power goes at the `calls`-th call from now: 1 is the next.
    void cutAt(std::size_t calls) { cutAt_ = calls_ + calls; }

    // Every content the file could have after a cut now.
    std::vector<Contents> possibleContents(const std::string& path) const
    {
        const Name& name = names_.at(path);
        std::vector<Contents> possible;
        for (const auto& inode : {name.now, name.onDisk}) {
            if (!inode) {
                possible.emplace_back();
                continue;
            }
            // The changes not yet on disk survive in order: each whole, not
            // at all, or a write torn after a 512-byte boundary of the file.
            std::string contents = inode->durable;
            possible.push_back(contents);
            for (const Change& change : inode->pending) {
                for (std::uint64_t at = (change.offset / 512 + 1) * 512;
                     !change.truncation && at < change.offset + change.bytes.size(); at += 512)
                    possible.push_back(written(contents, change.offset, change.bytes.substr(0, at - change.offset)));
                const std::uint64_t grown = change.offset + change.bytes.size();
                for (const char stale : {'\0', '\xE5'}) {
                    if (!change.truncation && grown > contents.size())
                        possible.push_back(contents + std::string(grown - contents.size(), stale));
                }
                contents = apply(contents, change);
                possible.push_back(contents);
            }
            if (name.now == name.onDisk)
                break;
        }
        return possible;
    }

    // After a cut: one state it could leave, chosen at random, becomes the
    // real folder's, and all of it is on disk.
    void restore(std::mt19937& random)
    {
        cutAt_ = 0;
        for (const auto& [path, name] : names_) {
            const std::vector<Contents> possible = possibleContents(path);
            set(path, possible[random() % possible.size()]);
        }
    }

    // Puts `contents` into the real file and on disk: how a test lays out a folder.
    void set(const std::string& path, const Contents& contents)
    {
        Name& name = names_[path];
        if (contents) {
            std::ofstream(std::filesystem::path(path), std::ios::binary | std::ios::trunc) << *contents;
            name.now = std::make_shared<Inode>(Inode{*contents, *contents, {}});
        } else {
            std::filesystem::remove(path);
            name.now = nullptr;
        }
        name.onDisk = name.now;
    }

private:
    struct Change {
        std::uint64_t offset; // a write's; a truncation's new size
        std::string bytes; // as the disk gets them
        bool truncation;
    };
    struct Inode {
        std::string contents; // what the file holds now
        std::string durable;  // what a cut cannot take away
        std::vector<Change> pending;
    };
    struct Name {
        std::shared_ptr<Inode> now, onDisk;
    };

    class CutFile final : public logbook::File {
    public:
        CutFile(PowerCutFileSystem& files, std::shared_ptr<Inode> inode, std::unique_ptr<logbook::File> below)
            : files_(files), inode_(std::move(inode)), below_(std::move(below))
        {
        }
        int size(std::uint64_t& bytes) override { return files_.tick(), below_->size(bytes); }
        int readAt(std::uint64_t offset, char* buffer, std::size_t most, std::size_t& got) override
        {
            return files_.tick(), below_->readAt(offset, buffer, most, got);
        }
        int map(std::uint64_t size, logbook::PageBytes& bytes) override
        {
            return files_.tick(), below_->map(size, bytes);
        }
        int append(const char* data, std::size_t size, std::size_t& written) override
        {
            files_.tick();
            const int error = below_->append(data, size, written);
            if (error == 0 && written > 0) {
                inode_->pending.push_back({inode_->contents.size(), std::string(data, written), false});
                inode_->contents.append(data, written);
            }
            return error;
        }
        int sync() override
        {
            files_.tick();
            const int error = below_->sync();
            if (error == 0) {
                for (const Change& change : inode_->pending)
                    inode_->durable = apply(inode_->durable, change);
                inode_->pending.clear();
            }
            return error;
        }
        int truncate(std::uint64_t size) override
        {
            files_.tick();
            const int error = below_->truncate(size);
            if (error == 0) {
                inode_->pending.push_back({size, {}, true});
                inode_->contents.resize(size);
            }
            return error;
        }
        int tryLock() override { return files_.tick(), below_->tryLock(); }
        void unlock() override { files_.tick(), below_->unlock(); }
        int close() override { return files_.tick(), below_->close(); }

    private:
        PowerCutFileSystem& files_;
        std::shared_ptr<Inode> inode_;
        std::unique_ptr<logbook::File> below_;
    };

    void tick()
    {
        if (++calls_ == cutAt_)
            throw PowerCut{};
    }

    // A file met for the first time is on disk as it is.
    Name& seen(const std::string& path)
    {
        auto found = names_.find(path);
        if (found != names_.end())
            return found->second;
        Name& name = names_[path];
        if (std::filesystem::exists(path)) {
            std::ostringstream bytes;
            bytes << std::ifstream(std::filesystem::path(path), std::ios::binary).rdbuf();
            name.now = name.onDisk = std::make_shared<Inode>(Inode{bytes.str(), bytes.str(), {}});
        }
        return name;
    }

    static std::string apply(const std::string& contents, const Change& change)
    {
        return change.truncation ? contents.substr(0, change.offset) : written(contents, change.offset, change.bytes);
    }

    static std::string written(std::string contents, std::uint64_t offset, std::string_view bytes)
    {
        contents.resize(std::max<std::size_t>(contents.size(), offset + bytes.size()));
        return contents.replace(offset, bytes.size(), bytes);
    }

    logbook::FileSystem& below_;
    std::map<std::string, Name> names_;
    std::size_t calls_ = 0;
    std::size_t cutAt_ = 0; // 0: no cut planned
};

} // namespace testing_support
