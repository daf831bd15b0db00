// What a run did, item by item: the record that tells an administrator what
// was there, what went, what stayed and why, and from which the exit status
// is told. Every run keeps it; it is written out only when asked (/log,
// /preview), one line per fact.
#pragma once

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
    WouldRemove,  // a preview found it
    NotPresent,
    Kept,         // there, but not the product's to remove; `why` says why
    Failed,       // there, and still there after the attempt; `error` says why
};

// One thing the run acts on, named fully enough to find it again.
struct Item {
    ItemKind kind;
    std::string path;   // file path; registry key under HKLM; image, service or program name
    std::string value;  // registry value name; a program's arguments; an export's name
    std::string entry;  // the name a list value holds; the file a value must name
    int view64 = 0;               // registry items: the view as the catalogue numbers it
    unsigned long viewBits = 0;   // ... and as access-mask bits on this machine (0 on 32-bit Windows)
    bool native = false;          // file items: in the native system directory of 64-bit Windows

    static Item File(const std::string& path, bool native = false);
    static Item Tree(const std::string& path);
    static Item Folder(const std::string& path);
    static Item Key(const std::string& key, int view64, unsigned long viewBits);
    static Item Value(const std::string& key, const std::string& value, int view64, unsigned long viewBits);
    static Item ListEntry(const std::string& key, const std::string& value, const std::string& entry, int view64,
                          unsigned long viewBits);
    static Item Process(const std::string& image);
    static Item Service(const std::string& name);
    static Item OutsideProgram(const std::string& path, const std::string& arguments);
    static Item IdentityComponent(const std::string& path, const std::string& exportName);
    static Item InstallerRecord(const std::string& key, const std::string& value, int view64,
                                unsigned long viewBits);

    // Whether "still there" can be asked of it after the run (programs run
    // and exports called cannot).
    bool CanRemain() const;
};

// "file C:\Windows\system32\x.dll", "value HKLM\Software\Run /v Name /reg:32": what
// and which, as an administrator would look for it.
std::string Describe(const Item& item);
// "removed", "would remove", "not present", "kept", "failed".
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
    std::string why;          // for Kept; for Failed when there is no error code
    unsigned long error = 0;  // for Failed: the Win32 error code, when the removal call gave one
};

class RunRecord {
public:
    explicit RunRecord(RecordSink* sink = nullptr) : sink_(sink) {}

    // A fact that is not an item: "location", "stage", the header's lines.
    void Note(const char* keyword, const std::string& text);
    void Add(const Item& item, Outcome outcome, const std::string& why = std::string(), unsigned long error = 0);

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
