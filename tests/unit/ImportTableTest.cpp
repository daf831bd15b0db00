// What the shipped program asks Windows to link before its first line runs.
// Windows 98 and NT 4 refuse to start a program that imports a function their
// DLLs do not export; Wine exports everything whatever version it imitates,
// so only the import table itself shows such an import. AllowedImports.txt
// (next to this file, copied next to the tests) lists what both systems
// export, with where each doubtful entry was checked.
#include "machine/Paths.h"
#include "sysops/Handles.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <vector>

using machine::ProgramPath;
using machine::TestBinDir;

namespace {

// Guards against a damaged table sending a walk through the whole file.
constexpr std::size_t kMaxEntries = 4096;
constexpr std::size_t kMaxNameLength = 512;

struct Import {
    std::string dll;
    std::string name;  // empty when imported by ordinal
    WORD ordinal = 0;

    std::string Describe() const
    {
        return dll + "!" + (name.empty() ? "@" + std::to_string(ordinal) : name);
    }
};

std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// A PE32 file in memory. Every read is checked against the file's size and
// the section it falls in; what cannot be read is an error, never a short list.
class PeFile {
public:
    explicit PeFile(std::vector<char> bytes) : bytes_(std::move(bytes)) {}

    // All imports of the import directory, or false with `error_` saying why.
    bool ReadImports(std::vector<Import>& imports)
    {
        IMAGE_NT_HEADERS32 nt{};
        if (!ReadHeaders(nt))
            return false;
        const IMAGE_DATA_DIRECTORY& directory = nt.OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (directory.VirtualAddress == 0)
            return Fail("the program has no import directory");
        for (std::size_t i = 0; i < kMaxEntries; ++i) {
            IMAGE_IMPORT_DESCRIPTOR descriptor{};
            if (!ReadAtRva(directory.VirtualAddress + i * sizeof descriptor, descriptor))
                return Fail("import descriptor " + std::to_string(i) + " lies outside the file");
            if (descriptor.Name == 0 && descriptor.FirstThunk == 0)
                return true;
            if (!ReadDll(descriptor, imports))
                return false;
        }
        return Fail("the import directory has no end");
    }

    const std::string& Error() const { return error_; }

private:
    bool Fail(const std::string& why)
    {
        error_ = why;
        return false;
    }

    template <typename T>
    bool ReadAtOffset(std::size_t offset, T& value) const
    {
        if (offset > bytes_.size() || bytes_.size() - offset < sizeof(T))
            return false;
        std::memcpy(&value, bytes_.data() + offset, sizeof(T));
        return true;
    }

    bool ReadHeaders(IMAGE_NT_HEADERS32& nt)
    {
        IMAGE_DOS_HEADER dos{};
        if (!ReadAtOffset(0, dos) || dos.e_magic != IMAGE_DOS_SIGNATURE)
            return Fail("no MZ header");
        const std::size_t ntOffset = static_cast<DWORD>(dos.e_lfanew);
        if (!ReadAtOffset(ntOffset, nt) || nt.Signature != IMAGE_NT_SIGNATURE)
            return Fail("no PE header");
        if (nt.OptionalHeader.Magic != IMAGE_NT_OPTIONAL_HDR32_MAGIC)
            return Fail("not a 32-bit (PE32) program");
        if (nt.OptionalHeader.NumberOfRvaAndSizes <= IMAGE_DIRECTORY_ENTRY_IMPORT)
            return Fail("the optional header has no import directory entry");
        sectionsOffset_ = ntOffset + offsetof(IMAGE_NT_HEADERS32, OptionalHeader) + nt.FileHeader.SizeOfOptionalHeader;
        sectionCount_ = nt.FileHeader.NumberOfSections;
        headersSize_ = nt.OptionalHeader.SizeOfHeaders;
        return true;
    }

    // Where `size` bytes at `rva` lie in the file, if they lie within one
    // section's raw data (or the headers).
    bool FileOffset(std::size_t rva, std::size_t size, std::size_t& offset) const
    {
        if (rva + size <= headersSize_) {
            offset = rva;
            return true;
        }
        for (WORD i = 0; i < sectionCount_; ++i) {
            IMAGE_SECTION_HEADER section{};
            if (!ReadAtOffset(sectionsOffset_ + i * sizeof section, section))
                return false;
            const std::size_t start = section.VirtualAddress;
            if (rva >= start && rva - start + size <= section.SizeOfRawData) {
                offset = section.PointerToRawData + (rva - start);
                return true;
            }
        }
        return false;
    }

    template <typename T>
    bool ReadAtRva(std::size_t rva, T& value) const
    {
        std::size_t offset = 0;
        return FileOffset(rva, sizeof(T), offset) && ReadAtOffset(offset, value);
    }

    // A non-empty, NUL-terminated name.
    bool ReadString(std::size_t rva, std::string& text) const
    {
        text.clear();
        while (text.size() < kMaxNameLength) {
            char c = 0;
            if (!ReadAtRva(rva + text.size(), c))
                return false;
            if (c == '\0')
                return !text.empty();
            text.push_back(c);
        }
        return false;
    }

    bool ReadDll(const IMAGE_IMPORT_DESCRIPTOR& descriptor, std::vector<Import>& imports)
    {
        std::string dll;
        if (!ReadString(descriptor.Name, dll))
            return Fail("an imported DLL's name cannot be read");
        // The lookup table names the functions; old linkers leave it out and
        // only the address table (filled in by the loader) holds the names.
        const DWORD table = descriptor.OriginalFirstThunk != 0 ? descriptor.OriginalFirstThunk : descriptor.FirstThunk;
        for (std::size_t i = 0; i < kMaxEntries; ++i) {
            DWORD thunk = 0;
            if (!ReadAtRva(table + i * sizeof thunk, thunk))
                return Fail(dll + ": entry " + std::to_string(i) + " lies outside the file");
            if (thunk == 0)
                return true;
            Import entry{dll, "", 0};
            // A name entry is a two-byte hint, then the name.
            if (IMAGE_SNAP_BY_ORDINAL32(thunk))
                entry.ordinal = static_cast<WORD>(IMAGE_ORDINAL32(thunk));
            else if (!ReadString(thunk + sizeof(WORD), entry.name))
                return Fail(dll + ": the name of entry " + std::to_string(i) + " cannot be read");
            imports.push_back(entry);
        }
        return Fail(dll + ": the import list has no end");
    }

    std::vector<char> bytes_;
    std::string error_;
    std::size_t sectionsOffset_ = 0;
    WORD sectionCount_ = 0;
    std::size_t headersSize_ = 0;
};

// The allowed list: "[DLL]" starts a DLL's group, then one function a line,
// "@N" for ordinal N; '#' starts a comment. DLL names in lower case.
using AllowedImports = std::map<std::string, std::set<std::string>>;

// Fills `allowed`; returns what is wrong with the file, or "".
std::string ReadAllowed(const std::string& path, AllowedImports& allowed)
{
    std::ifstream file(path);
    if (!file)
        return "cannot read " + path;
    std::string line;
    std::string dll;
    for (int number = 1; std::getline(file, line); ++number) {
        std::istringstream words(line.substr(0, line.find('#')));
        std::string word;
        if (!(words >> word))
            continue;
        if (word.size() > 2 && word.front() == '[' && word.back() == ']')
            dll = Lower(word.substr(1, word.size() - 2));
        else if (dll.empty())
            return path + ":" + std::to_string(number) + ": a function before any [DLL]";
        else
            allowed[dll].insert(word);
    }
    return allowed.empty() ? path + ": no functions" : "";
}

bool IsAllowed(const AllowedImports& allowed, const Import& entry)
{
    const auto group = allowed.find(Lower(entry.dll));
    const std::string key = entry.name.empty() ? "@" + std::to_string(entry.ordinal) : entry.name;
    return group != allowed.end() && group->second.count(key) != 0;
}

// Whether the DLL this process loads exports the import, i.e. the table was read right.
bool Resolves(const Import& entry)
{
    const sysops::UniqueLibrary library(LoadLibraryA(entry.dll.c_str()));
    const LPCSTR what = entry.name.empty() ? MAKEINTRESOURCEA(entry.ordinal) : entry.name.c_str();
    return library && GetProcAddress(library.Get(), what) != nullptr;
}

std::vector<char> ReadWholeFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    return std::vector<char>(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
}

TEST(ProgramImports, OnlyWhatWindows98AndNT4Export)
{
    AllowedImports allowed;
    ASSERT_EQ(ReadAllowed(TestBinDir() + "\\AllowedImports.txt", allowed), "");

    PeFile program(ReadWholeFile(ProgramPath()));
    std::vector<Import> imports;
    ASSERT_TRUE(program.ReadImports(imports)) << ProgramPath() << ": " << program.Error();
    ASSERT_FALSE(imports.empty()) << ProgramPath();

    std::string refused;
    std::string unresolved;
    for (const Import& entry : imports) {
        if (!IsAllowed(allowed, entry))
            refused += "\n  " + entry.Describe();
        if (!Resolves(entry))
            unresolved += "\n  " + entry.Describe();
    }
    EXPECT_TRUE(refused.empty()) << "Not exported by Windows 98 or NT 4, as far as AllowedImports.txt knows (look "
                                    "these up at run time, or list them with the evidence that both export them):"
                                 << refused;
    EXPECT_TRUE(unresolved.empty()) << "Read from the import table but exported by no DLL here (misread?):"
                                    << unresolved;
}

}  // namespace
