#pragma once
// Network folders written "//server/share/rest": the share is mounted through GVfs and the
// folder is used at its place below the GVfs mount folder.

#include <QString>

namespace FileSystem {

struct ShareAddress {
    QString server;
    QString share;
    QString rest;  // below the share, without a leading '/'; may be empty
};
// Splits "//server/share/rest"; false for any other form (no server or no share).
bool ParseSharePath(const QString& path, ShareAddress& out);

// The folder of the share under GVfs: $XDG_RUNTIME_DIR/gvfs/smb-share:server=S,share=SH/rest
// (with the run-time folder /run/user/UID where the variable is not set). An existing mount
// whose name differs in letter case or carries more keys (user=, domain=) is used as it is.
QString GvfsPathOf(const ShareAddress& address);

// Mounts the share with `gio mount smb://server/share`, user name and password given on its
// standard input (never on a command line), waiting at most timeoutMs. A share that is mounted
// already is used as it is. Returns the folder under GVfs, or an empty string when gio is
// missing, fails, does not end in time, or the folder is not there afterwards.
QString MountShare(const ShareAddress& address, const QString& user, const QString& password, int timeoutMs);

}  // namespace FileSystem
