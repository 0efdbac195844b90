#pragma once
// Failing steps of the file-system layer on purpose. A FaultPlan is asked at every step that
// writes (and at the listing of a folder) which error that step must fail with; the step then
// fails as if the system call had answered that error, and everything after it runs exactly as
// it would after a real failure: the same copy workers, the same reflink attempt, the same
// clean-up. A plan takes effect while a FaultPlanScope holds it, for every thread of the process
// (the copy workers included); without one, each step costs one atomic load.

#include <QByteArray>

#include <cstdint>

namespace FileSystem {

// The steps a plan is asked about, each with the path it acts on (encoded, without a trailing '/').
enum class FaultPoint : uint8_t {
    Create,        // the file, link or holder folder that receives a copy (its destination path)
    CreateUnnamed, // the unnamed file of a new destination; EOPNOTSUPP stands for a file system
                   // without unnamed files, and the copy goes on through a named temporary file
    Data,          // each chunk of a copy's data, and the reflink that shares it all at once
    Sync,          // making a replacement's data durable before its rename (in a batch: once per
                   // file system, asked with the first waiting destination)
    Close,         // the checked close of a written file (network file systems report lost writes here)
    Name,          // the link or rename that gives a copy its destination name (asked once more
                   // right before the rename when the replaced version goes to the trash)
    Delete,
    Trash,         // moving an entry to the trash, and keeping there the version a copy replaces
    TrashLink,     // the second name in the trash that keeps a replaced version; EPERM stands for a
                   // file system without hard links, where the version moves into the trash instead
    Attributes,
    MakeFolder,
    RemoveFolder,
    OpenBeneath,   // resolving a folder beneath its root in one call (ENOSYS stands for a kernel
                   // without openat2: the folder is then walked to one component at a time)
    OpenListing,   // opening a folder to list it
    ReadListing,   // reading the next entry of a listed folder
};

class FaultPlan {
public:
    virtual ~FaultPlan() = default;
    // The error number the step must fail with, or 0 to let it run. Called on any thread.
    virtual int ErrorAt(FaultPoint point, const QByteArray& path) = 0;
};

// Puts plan in force while it lives; scopes do not nest. What the layer learnt about the file
// system while a plan was in force (that it has no unnamed files, say) is forgotten at the end.
class FaultPlanScope {
public:
    explicit FaultPlanScope(FaultPlan& plan);
    ~FaultPlanScope();
    FaultPlanScope(const FaultPlanScope&) = delete;
    FaultPlanScope& operator=(const FaultPlanScope&) = delete;
};

}  // namespace FileSystem
