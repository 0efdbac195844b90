#pragma once
// Reproducible folder trees for the benchmarks. Every file is a pure function of the seed, its
// number and its version, so a tree can be rebuilt, and single files restored, byte for byte.
//
// Layout for n files: leaf folders of 50 files each, 50 leaf folders per top folder:
//   d000/s00/f0000000.dat ... ; files added on one side are named a0000000.dat.

#include <cstdint>
#include <string>
#include <vector>

namespace bench {

struct TreeShape {
    int64_t files = 100000;
    uint64_t seed = 0x7A4D0C5EEDull;
    // Empty base and added files, changed files of one byte (the memory and compare-time runs at
    // a million files, which depend on the entries and not on their contents).
    bool emptyFiles = false;
};

constexpr int FilesPerFolder = 50;
constexpr int FoldersPerTop = 50;

int64_t LeafFolders(const TreeShape& shape);
int64_t TotalFolders(const TreeShape& shape);  // leaf and top folders

// The numbers of the files that the "changed" side rewrites (1 %, spread evenly).
std::vector<int64_t> ChangedFiles(const TreeShape& shape);
// How many files the "added" side holds in addition (0.5 %).
int64_t AddedFileCount(const TreeShape& shape);

// Relative paths (below the tree root, no leading '/').
std::string FolderOf(int64_t file);
std::string FilePath(int64_t file);
std::string AddedFilePath(const TreeShape& shape, int64_t added);

// Writes one file. version 0 is the base file; version 1 is its changed form (other size and
// content, a newer modification time).
void WriteTreeFile(const std::string& root, const TreeShape& shape, int64_t file, int version);
void WriteAddedFile(const std::string& root, const TreeShape& shape, int64_t added);

enum class TreeKind { Base, Changed, Added };
// Builds a tree at root (which must not exist): the base tree, the base tree with 1 % of the
// files changed, or the base tree plus 0.5 % new files. Returns the bytes written.
int64_t MakeTree(const std::string& root, const TreeShape& shape, TreeKind kind);
// Turns a tree that was made equal to the Changed tree back into the Added tree (rewrites the
// changed files in their base form, writes the added files again). Used between repetitions of
// the incremental synchronisation.
void RestoreAddedTree(const std::string& root, const TreeShape& shape);

// Writes a file of the given size with reproducible content (the 1 GiB throughput test).
void WriteLargeFile(const std::string& path, int64_t size, uint64_t seed);

// Removes a tree (symbolic links are not followed). Refuses any path outside allowedParent.
void RemoveTree(const std::string& path, const std::string& allowedParent);
bool PathExists(const std::string& path);
void MakeFolders(const std::string& path);  // like mkdir -p

// Counts the files and folders below root and sums file sizes (to check a result).
struct TreeCount {
    int64_t files = 0;
    int64_t folders = 0;
    int64_t bytes = 0;
};
TreeCount CountTree(const std::string& root);

}  // namespace bench
