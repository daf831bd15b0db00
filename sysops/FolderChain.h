// A folder held, together with every folder above it, from the moment it is
// judged to the moment it is acted on. A decision about a path is only
// worth what still holds when the path is used: in folders that ordinary
// users may write, a folder can be renamed away and a link put in its place
// between the two. On the NT family each folder is opened from the handle of
// the one above it, as itself, and held open without delete sharing: none of
// them can be renamed, deleted or replaced, and what is then done below the
// folder is done through its handle, not through its path.
#pragma once

#include "sysops/Handles.h"
#include "sysops/PathIdentity.h"
#include "sysops/Result.h"

#include <cstddef>
#include <string>
#include <vector>

namespace sysops {

enum class ChainState {
    Held,     // every folder of the path, drive root to the path itself, is held
    Missing,  // the path does not exist: the folders above it that do are held
    Refused,  // a folder on the way is a link it may not pass, or cannot be opened
};

// Which links a chain may pass.
enum class Links {
    Refused,                       // none
    OfAdministratorsAboveTheEnd,   // those that belong to administrators and only they
                                   // may change, above the path's own folder (Windows'
                                   // own junctions, such as "C:\ProgramData\Start Menu")
};

class FolderChain {
public:
    FolderChain() = default;

    // Opens "X:\", then each folder of `path` (a plain "X:\a\b" path) down
    // to the path itself, sharing reading and writing but not deletion. On
    // the 9x family, where folders cannot be opened and there are no links,
    // nothing is held: only whether the path is a folder is told.
    ChainState Hold(const std::string& path, Links links = Links::Refused);

    ChainState State() const { return state_; }
    // The path as asked for, and as reached once links were passed (where
    // this Windows can tell; else the path as asked for).
    const std::string& Path() const { return path_; }
    const std::string& Reached() const { return reached_; }
    bool PassedLinks() const { return passedLinks_; }
    // The handles, the drive's root first; empty on the 9x family.
    std::size_t Depth() const { return held_.size(); }
    HANDLE Handle(std::size_t level) const { return held_[level].handle.Get(); }
    const FileIdentity& Identity(std::size_t level) const { return held_[level].identity; }
    // The folder's name below the one above, as the path spells it.
    const std::string& Name(std::size_t level) const { return held_[level].name; }
    // The number of folders of the whole path, drive root included.
    std::size_t Levels() const { return levels_; }

    // Whether the folder at `level` (0 is the drive's root) was there.
    bool Reaches(std::size_t level) const;

    // Whether every folder is still held, is the one first held (volume
    // serial and file index), is still a folder, and has not become a link.
    bool StillHeld() const;

    // The handle of the path's own folder, when it is held, for the walk
    // that empties and removes it: let go of, then opened again from the
    // folder above it as OpenFolderAlone opens folders, and only when it is
    // still the folder held. On the 9x family nothing is opened.
    Result TakeDeepest(UniqueFile& folder, bool& mayDelete);
    // Lets go of the folders from `level` down (0 is the drive's root).
    void ReleaseFrom(std::size_t level);
    // Removes the folder at `level`, which must be empty, once it is let
    // go of: through a handle opened alone from the held folder above it,
    // and only when that is still the folder held.
    Result RemoveEmptyFolder(std::size_t level);

private:
    struct HeldFolder {
        std::string path;  // from the drive's root, as asked for
        std::string name;  // below the folder above, as the path spells it
        UniqueFile handle;
        FileIdentity identity;
    };

    ChainState HoldOnNt(const std::vector<std::string>& prefixes, Links links);
    ChainState HoldNext(HANDLE parent, const std::string& prefix, const std::string& name, bool last, Links links);
    Result LetGo(std::size_t level, std::vector<wchar_t>& name);
    Result Reopen(std::size_t level, UniqueFile& folder, bool& mayDelete);
    void NoteReached();

    std::string path_;
    std::string reached_;
    std::size_t levels_ = 0;
    bool passedLinks_ = false;
    ChainState state_ = ChainState::Missing;
    std::vector<HeldFolder> held_;
};

// The file `name` in the folder the chain holds (its path's own folder),
// opened for reading as itself (never through a link) and sharing reading
// only: while held it can be neither written, renamed, deleted nor
// replaced. Invalid when it cannot be opened, or is a link or a folder;
// `missing` then tells whether it is simply not there.
UniqueFile HoldFileIn(const FolderChain& folder, const char* name, bool& missing);

// Whether nobody but administrators may change the first `levels` folders
// the chain holds, from the drive's root down: each belongs to
// administrators and lets nobody else change it (creating new entries in
// the drive's root changes nothing on the way). The 9x family has no
// accounts to tell apart; on the NT family a volume that keeps no owners
// (FAT) lets everybody write, and a chain that passed a link does not hold
// every name on the way.
bool OnlyAdministratorsHold(const FolderChain& folders, std::size_t levels);

// Whether nobody but administrators could have put the file `file` (opened
// with READ_CONTROL), or the file `name`, in the folder `folders` holds:
// the file and every folder from the drive's root down are only theirs to
// change. Code the program runs with its own rights must pass; so must a
// file left to be deleted at the restart by its name.
bool OnlyAdministratorsCouldHavePut(const FolderChain& folders, HANDLE file);
bool OnlyAdministratorsCouldHavePut(const FolderChain& folders, const char* name);

// The folders of a plain path "X:\a\b", the drive's root first: "X:\",
// "X:\a", "X:\a\b". Empty for any other form.
std::vector<std::string> FolderPrefixes(const std::string& path);

}  // namespace sysops
