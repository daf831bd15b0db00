// A folder held, together with every folder above it, from the moment it is
// judged to the moment it is acted on. A decision about a path is only
// worth what still holds when the path is used: in folders that ordinary
// users may write, a folder can be renamed away and a link put in its place
// between the two. Held open without delete sharing, none of these folders
// can be renamed, deleted or replaced until it is let go.
#pragma once

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"

#include <cstddef>
#include <string>
#include <vector>

namespace sysops {

enum class ChainState {
    Held,     // every folder of the path, drive root to the path itself, is held
    Missing,  // the path does not exist: the folders above it that do are held
    Refused,  // one of the folders is a link, or not a folder, or cannot be opened
};

class FolderChain {
public:
    FolderChain() = default;

    // Opens "X:\", then each folder of `path` (a plain "X:\a\b" path) down
    // to the path itself, each as the folder it is, never through a link,
    // sharing reading and writing but not deletion. On the 9x family, where
    // folders cannot be opened and there are no links, nothing is held: only
    // whether the path is a folder is told.
    ChainState Hold(const std::string& path);

    ChainState State() const { return state_; }
    const std::string& Path() const { return path_; }
    // The handles, the drive's root first; empty on the 9x family.
    std::size_t Depth() const { return held_.size(); }
    HANDLE Handle(std::size_t index) const { return held_[index].handle.Get(); }
    const FileIdentity& Identity(std::size_t index) const { return held_[index].identity; }

    // Whether every folder held is still the one first held (volume serial
    // and file index), is not a link, and is still what its path names.
    bool StillHeld() const;

    // Hands over the handle of the path itself, when it is held: whoever
    // removes the folder must let go of it first.
    UniqueFile TakeDeepest();
    // Lets go of the folders from `level` down (0 is the drive's root).
    void ReleaseFrom(std::size_t level);

private:
    struct HeldFolder {
        std::string path;
        UniqueFile handle;
        FileIdentity identity;
    };

    ChainState HoldOnNt(const std::string& path);

    std::string path_;
    ChainState state_ = ChainState::Missing;
    std::vector<HeldFolder> held_;
};

// The folder `path` names, with every link on its way resolved, as
// `resolved`: Held when each such link belongs to administrators (Windows'
// own compatibility junctions, such as "C:\ProgramData\Start Menu", do);
// Missing when the path does not exist; Refused when a link on it belongs to
// another account or cannot be resolved on this Windows (before Vista). A
// path without links comes back as it is.
ChainState ResolveAdministratorsLinks(const std::string& path, std::string& resolved);

// The file `path`, opened for reading as itself (never through a link) and
// sharing reading only: while held it can be neither written, renamed,
// deleted nor replaced. Invalid when it cannot be opened, or is a link or a
// folder; `missing` then tells whether it is simply not there.
UniqueFile HoldFile(const std::string& path, bool& missing);

// The folders of a plain path "X:\a\b", the drive's root first: "X:\",
// "X:\a", "X:\a\b". Empty for any other form.
std::vector<std::string> FolderPrefixes(const std::string& path);

}  // namespace sysops
