// What a run did, item by item: the record that tells an administrator what
// was there, what went, what stayed and why, and from which the exit status
// is told. Every run keeps it; it is written out only when asked (/log,
// /preview), one line per fact.
#pragma once

#include "sysops/Registry.h"
#include "sysops/Result.h"

#include <cstddef>
#include <string>
#include <vector>

namespace uninstall {

enum class ItemKind {
    File,
    Tree,               // a folder with everything in it
    Folder,             // a folder removed only when it is empty
    Key,                // a registry key with everything below it
    Value,              // one registry value
    ListEntry,          // one name in a registry list value
    Process,            // every running copy of a program
    Service,
    OutsideProgram,     // a program the run starts to undo a registration
    IdentityComponent,  // the product's library whose export the run calls
    InstallerRecord,    // a Windows Installer record found by scanning
};

enum class Outcome {
    Removed,
    AtRestart,      // in use: Windows removes it at the next restart
    WouldRemove,    // a preview found it
    WouldSchedule,  // a preview found it already left to the next restart
    NotPresent,
    Kept,           // there, but not the product's to remove; `why` says why
    Failed,         // there, and still there after the attempt; `error` says why
};

// One thing the run acts on, named fully enough to find it again.
struct Item {
    ItemKind kind;
    std::string path;   // file path; registry key under HKLM; image, service or program name
    std::string value;  // registry value name; a program's arguments; an export's name
    std::string entry;  // the name a list value holds; the file a value must name
    sysops::RegistryView view;    // registry items: the view, as this run selects it
    bool native = false;          // file items: in the native system directory of 64-bit Windows

    static Item File(const std::string& path, bool native = false);
    static Item Tree(const std::string& path);
    static Item Folder(const std::string& path);
    static Item Key(const std::string& key, sysops::RegistryView view);
    static Item Value(const std::string& key, const std::string& value, sysops::RegistryView view);
    static Item ListEntry(const std::string& key, const std::string& value, const std::string& entry,
                          sysops::RegistryView view);
    static Item Process(const std::string& image);
    static Item Service(const std::string& name);
    static Item OutsideProgram(const std::string& path, const std::string& arguments);
    static Item IdentityComponent(const std::string& path, const std::string& exportName);
    static Item InstallerRecord(const std::string& key, const std::string& value, sysops::RegistryView view);

    // Whether "still there" can be asked of it after the run (programs run
    // and exports called cannot).
    bool CanRemain() const;
};

// What an item is, so that two items can be told to be one thing: a file
// named in two letter cases, or a registry key both views share. Names
// compare without regard to case.
struct ItemIdentity {
    enum class Space { None, Files, NativeFiles, Registry, Processes, Services };
    Space space = Space::None;
    std::string path;   // a file's path; a key's own name in the registry; an image; a service
    std::string value;  // a registry value's name
    std::string entry;  // a name in a list value

    // Whether this is `other`, or lies below it (a file in a folder, a key
    // or value below a key, an entry of a list value).
    bool IsOrLiesBelow(const ItemIdentity& other) const;
};

// "file C:\Windows\system32\x.dll", "value HKLM\Software\Run /v Name /reg:32": what
// and which, as an administrator would look for it.
std::string Describe(const Item& item);
// "removed", "at restart", "would remove", "would schedule", "not present",
// "kept", "failed".
const char* OutcomeWord(Outcome outcome);

// Where the record's lines go; the record keeps everything in memory too.
class RecordSink {
public:
    virtual ~RecordSink() = default;
    virtual void WriteLine(const std::string& line) = 0;
};

struct RecordEntry {
    Item item;
    Outcome outcome;
    std::string why;       // for Kept
    sysops::Result result;  // for Failed: what the removal call said
};

class RunRecord {
public:
    explicit RunRecord(RecordSink* sink = nullptr) : sink_(sink) {}

    // A fact that is not an item: "location", "stage", the header's lines.
    void Note(const char* keyword, const std::string& text);
    void Add(const Item& item, Outcome outcome, const std::string& why = std::string(),
             sysops::Result result = sysops::Result::Ok());

    const std::vector<RecordEntry>& Entries() const { return entries_; }
    std::size_t Count(Outcome outcome) const;

    // After a removal: the items still there (filled by the run).
    std::vector<Item> residue;
    // The counts per outcome and the residue, as lines.
    void WriteSummary();

private:
    void Write(const std::string& line);

    RecordSink* sink_;
    std::vector<RecordEntry> entries_;
};

}  // namespace uninstall
