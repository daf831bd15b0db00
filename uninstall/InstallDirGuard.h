// Whether the install directory the run found may be deleted as a tree,
// code loaded from it and its registrations removed. The directory comes
// from a registry value anybody with write access to the key could have
// written, and folders such as "C:\Morvane" let ordinary users create,
// rename and link inside them: a value that names, however it is spelt, a
// folder of Windows, of other software or of users must not empty it, and
// what the guard judged must still be what the run acts on.
#pragma once

#include "sysops/FolderChain.h"
#include "uninstall/RunPaths.h"

#include <optional>
#include <string>
#include <utility>

namespace uninstall {

struct InstallTreeVerdict;

// The install directory as the guard accepted it. Only the guard makes one:
// every use of the install directory (the identity component, the tree's
// removal, the registrations that name it) goes through it. On the NT family
// it holds the folder and every folder above it open from the verdict on, so
// that none of them can be renamed or replaced by a link until it is let go.
class AcceptedTree {
public:
    // As the run found it, without a trailing backslash: the name the
    // product's registrations use.
    const std::string& Path() const { return path_; }
    // Whether the folder was there when judged; a missing one is not looked
    // for again.
    bool Exists() const { return chain_.State() == sysops::ChainState::Held; }
    // Its canonical path, drive root to folder, held.
    sysops::FolderChain& Chain() { return chain_; }

private:
    friend InstallTreeVerdict JudgeInstallTree(const std::string&, const RunPaths&, bool);
    AcceptedTree(std::string path, sysops::FolderChain chain) : path_(std::move(path)), chain_(std::move(chain)) {}

    std::string path_;
    sysops::FolderChain chain_;
};

struct InstallTreeVerdict {
    std::optional<AcceptedTree> tree;  // empty when refused
    std::string refusal;               // why, when refused
};

// Judges the install directory, touching nothing of a path it refuses by
// its text: only a folder below the root of a fixed local drive
// ("C:\Morvane") whose text is plain (no "." or ".." component, none ending
// in a dot or a space, no "\\?\", "\\.\" or "\??\" prefix, no share, no '/',
// no ':' past the drive letter, no wildcard) is looked at. It is refused when,
// compared by its canonical path component by component without regard to
// case and, on the NT family, also by what it and each folder above it are:
// - it is or lies inside the Windows directory, a system directory, the
//   profiles directory or any profile, the program-data folder, a
//   common-files folder, or what Windows keeps on every drive (the volume's
//   system information, the recycle bins);
// - it is or holds the program-files folders of either bitness, or a folder
//   one of the environment variables naming these folders names;
// - on the NT family, a folder on its way (its drive's root included) is a
//   link or cannot be opened as a folder.
// Folders inside the program-files folders stay allowed: the product lives
// there. On 64-bit Windows (is64BitWindows) both registry views are read.
InstallTreeVerdict JudgeInstallTree(const std::string& installDir, const RunPaths& paths, bool is64BitWindows);

}  // namespace uninstall
