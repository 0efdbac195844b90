#include "BenchTrees.h"

#include <fcntl.h>
#include <ftw.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <stdexcept>

namespace bench {
namespace {

// 2023-01-01 00:00:00 UTC: every base file is as old as its number in seconds after this.
constexpr int64_t BaseTime = 1672531200;
// Changed files are this much newer than any base file.
constexpr int64_t ChangedOffset = 40000000;
constexpr int64_t AddedTimeBase = BaseTime + 2 * ChangedOffset;

uint64_t SplitMix(uint64_t& state) {
    uint64_t z = (state += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
}

[[noreturn]] void Fail(const std::string& what, const std::string& path) {
    throw std::runtime_error(what + " " + path + ": " + std::strerror(errno));
}

void FillRandom(std::vector<unsigned char>& buf, uint64_t state) {
    size_t i = 0;
    for (; i + 8 <= buf.size(); i += 8) {
        const uint64_t v = SplitMix(state);
        std::memcpy(buf.data() + i, &v, 8);
    }
    const uint64_t v = SplitMix(state);
    if (i < buf.size()) std::memcpy(buf.data() + i, &v, buf.size() - i);
}

void WriteWhole(const std::string& path, const std::vector<unsigned char>& data, int64_t mtime) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot create", path);
    size_t done = 0;
    while (done < data.size()) {
        const ssize_t n = ::write(fd, data.data() + done, data.size() - done);
        if (n < 0) {
            if (errno == EINTR) continue;
            ::close(fd);
            Fail("cannot write", path);
        }
        done += static_cast<size_t>(n);
    }
    timespec times[2];
    times[0].tv_sec = static_cast<time_t>(mtime);
    times[0].tv_nsec = 0;
    times[1] = times[0];
    if (::futimens(fd, times) != 0) {
        ::close(fd);
        Fail("cannot set the time of", path);
    }
    if (::close(fd) != 0) Fail("cannot close", path);
}

void MakeFolder(const std::string& path) {
    if (::mkdir(path.c_str(), 0755) != 0 && errno != EEXIST) Fail("cannot create folder", path);
}

std::string Join(const std::string& root, const std::string& rel) { return root + "/" + rel; }

}  // namespace

int64_t LeafFolders(const TreeShape& shape) { return (shape.files + FilesPerFolder - 1) / FilesPerFolder; }

int64_t TotalFolders(const TreeShape& shape) {
    const int64_t leaves = LeafFolders(shape);
    return leaves + (leaves + FoldersPerTop - 1) / FoldersPerTop;
}

std::vector<int64_t> ChangedFiles(const TreeShape& shape) {
    std::vector<int64_t> out;
    for (int64_t i = 37; i < shape.files; i += 100) out.push_back(i);
    return out;
}

int64_t AddedFileCount(const TreeShape& shape) { return shape.files / 200; }

std::string FolderOf(int64_t file) {
    const int64_t leaf = file / FilesPerFolder;
    char buf[64];
    std::snprintf(buf, sizeof buf, "d%03lld/s%02lld", static_cast<long long>(leaf / FoldersPerTop),
                  static_cast<long long>(leaf % FoldersPerTop));
    return buf;
}

std::string FilePath(int64_t file) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "/f%07lld.dat", static_cast<long long>(file));
    return FolderOf(file) + buf;
}

std::string AddedFilePath(const TreeShape& shape, int64_t added) {
    // Spread the new files over the existing leaf folders.
    const int64_t leaves = LeafFolders(shape);
    const int64_t leaf = (added * 7919) % leaves;
    char buf[32];
    std::snprintf(buf, sizeof buf, "/a%07lld.dat", static_cast<long long>(added));
    return FolderOf(leaf * FilesPerFolder) + buf;
}

void WriteTreeFile(const std::string& root, const TreeShape& shape, int64_t file, int version) {
    uint64_t state = shape.seed ^ (static_cast<uint64_t>(file) * 0x2545F4914F6CDD1Dull) ^
                     (static_cast<uint64_t>(version) << 60);
    // About 4 KiB: 3 KiB to 4 KiB, so that every file takes one block.
    size_t size = 3072 + static_cast<size_t>(SplitMix(state) % 1025);
    if (shape.emptyFiles) size = version != 0 ? 1 : 0;
    std::vector<unsigned char> data(size);
    FillRandom(data, state);
    const int64_t mtime = BaseTime + file + (version != 0 ? ChangedOffset : 0);
    WriteWhole(Join(root, FilePath(file)), data, mtime);
}

void WriteAddedFile(const std::string& root, const TreeShape& shape, int64_t added) {
    uint64_t state = shape.seed ^ 0xADDEDull ^ (static_cast<uint64_t>(added) * 0x9E3779B97F4A7C15ull);
    const size_t size = shape.emptyFiles ? 0 : 3072 + static_cast<size_t>(SplitMix(state) % 1025);
    std::vector<unsigned char> data(size);
    FillRandom(data, state);
    WriteWhole(Join(root, AddedFilePath(shape, added)), data, AddedTimeBase + added);
}

int64_t MakeTree(const std::string& root, const TreeShape& shape, TreeKind kind) {
    if (PathExists(root)) throw std::runtime_error("tree already exists: " + root);
    MakeFolders(root);
    std::vector<bool> changed;
    if (kind == TreeKind::Changed) {
        changed.assign(static_cast<size_t>(shape.files), false);
        for (int64_t i : ChangedFiles(shape)) changed[static_cast<size_t>(i)] = true;
    }
    int64_t bytes = 0;
    for (int64_t i = 0; i < shape.files; ++i) {
        if (i % (FilesPerFolder * FoldersPerTop) == 0) MakeFolder(Join(root, FolderOf(i).substr(0, 4)));
        if (i % FilesPerFolder == 0) MakeFolder(Join(root, FolderOf(i)));
        const int version = (kind == TreeKind::Changed && changed[static_cast<size_t>(i)]) ? 1 : 0;
        WriteTreeFile(root, shape, i, version);
        bytes += 4096;
    }
    if (kind == TreeKind::Added) {
        for (int64_t a = 0; a < AddedFileCount(shape); ++a) WriteAddedFile(root, shape, a);
    }
    // Folder times are not part of any comparison, but keep them reproducible too.
    return bytes;
}

void RestoreAddedTree(const std::string& root, const TreeShape& shape) {
    for (int64_t i : ChangedFiles(shape)) WriteTreeFile(root, shape, i, 0);
    for (int64_t a = 0; a < AddedFileCount(shape); ++a) WriteAddedFile(root, shape, a);
}

void WriteLargeFile(const std::string& path, int64_t size, uint64_t seed) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) Fail("cannot create", path);
    std::vector<unsigned char> chunk(1 << 20);
    uint64_t state = seed;
    int64_t done = 0;
    while (done < size) {
        FillRandom(chunk, SplitMix(state));
        const size_t want = static_cast<size_t>(std::min<int64_t>(size - done, static_cast<int64_t>(chunk.size())));
        size_t off = 0;
        while (off < want) {
            const ssize_t n = ::write(fd, chunk.data() + off, want - off);
            if (n < 0) {
                if (errno == EINTR) continue;
                ::close(fd);
                Fail("cannot write", path);
            }
            off += static_cast<size_t>(n);
        }
        done += static_cast<int64_t>(want);
    }
    timespec times[2];
    times[0].tv_sec = BaseTime;
    times[0].tv_nsec = 0;
    times[1] = times[0];
    ::futimens(fd, times);
    if (::close(fd) != 0) Fail("cannot close", path);
}

namespace {
int RemoveOne(const char* path, const struct stat*, int type, struct FTW*) {
    const int rc = (type == FTW_DP) ? ::rmdir(path) : ::unlink(path);
    return rc != 0 && errno != ENOENT ? -1 : 0;
}
}  // namespace

void RemoveTree(const std::string& path, const std::string& allowedParent) {
    if (allowedParent.size() < 2 || path.size() <= allowedParent.size() + 1 ||
        path.compare(0, allowedParent.size() + 1, allowedParent + "/") != 0 ||
        path.find("/../") != std::string::npos)
        throw std::runtime_error("refusing to remove " + path + " (outside " + allowedParent + ")");
    if (!PathExists(path)) return;
    if (::nftw(path.c_str(), RemoveOne, 64, FTW_DEPTH | FTW_PHYS) != 0) Fail("cannot remove", path);
}

bool PathExists(const std::string& path) {
    struct stat st;
    return ::lstat(path.c_str(), &st) == 0;
}

void MakeFolders(const std::string& path) {
    for (size_t pos = 1; pos <= path.size(); ++pos) {
        if (pos == path.size() || path[pos] == '/') MakeFolder(path.substr(0, pos));
    }
}

namespace {
thread_local TreeCount* g_count = nullptr;
int CountOne(const char*, const struct stat* st, int type, struct FTW*) {
    if (type == FTW_F) {
        ++g_count->files;
        g_count->bytes += st->st_size;
    } else if (type == FTW_D) {
        ++g_count->folders;
    }
    return 0;
}
}  // namespace

TreeCount CountTree(const std::string& root) {
    TreeCount c;
    g_count = &c;
    ::nftw(root.c_str(), CountOne, 64, FTW_PHYS);
    g_count = nullptr;
    if (c.folders > 0) --c.folders;  // the root itself
    return c;
}

}  // namespace bench
