#include "sample/SampleState.h"

#include "machine/Files.h"

#include <cstdlib>
#include <sstream>

namespace sample {

namespace {

// Each line: a word, a blank, the rest. Paths and key names are the rest,
// so they may hold blanks.
constexpr char kVariant[] = "variant";
constexpr char kPackageB[] = "package-b";
constexpr char kLocalPackage[] = "local-package";
constexpr char kProgram[] = "program";
constexpr char kCreatedKey[] = "created-key";
constexpr char kCreatedDir[] = "created-dir";

// "<number> <text>" split in two; false when it does not start with a number.
bool SplitNumber(const std::string& rest, unsigned long& number, std::string& text)
{
    char* end = nullptr;
    number = std::strtoul(rest.c_str(), &end, 10);
    if (end == rest.c_str() || *end != ' ')
        return false;
    text = end + 1;
    return true;
}

bool ReadLine(const std::string& word, const std::string& rest, State& state)
{
    unsigned long number = 0;
    std::string text;
    if (word == kVariant) {
        std::istringstream words(rest);
        std::string option;
        while (words >> option) {
            if (!ParseVariantOption(option, state.variant))
                return false;
        }
        return true;
    }
    if (word == kPackageB) {
        state.realPackageB = rest == "real";
        return true;
    }
    if (word == kLocalPackage) {
        state.localPackage = rest;
        return true;
    }
    if (word == kProgram && SplitNumber(rest, number, text)) {
        state.programs.push_back({static_cast<DWORD>(number), text});
        return true;
    }
    if (word == kCreatedKey && SplitNumber(rest, number, text)) {
        state.createdKeys.push_back({static_cast<REGSAM>(number), text});
        return true;
    }
    if (word == kCreatedDir) {
        state.createdDirs.push_back(rest);
        return true;
    }
    return false;
}

}  // namespace

std::string StatePath() { return std::string(kSampleRoot) + "\\state.txt"; }

bool SaveState(const State& state)
{
    std::ostringstream text;
    text << kVariant << ' ' << DescribeVariant(state.variant) << "\r\n";
    text << kPackageB << ' ' << (state.realPackageB ? "real" : "synthetic") << "\r\n";
    if (!state.localPackage.empty())
        text << kLocalPackage << ' ' << state.localPackage << "\r\n";
    for (const StartedProgram& program : state.programs)
        text << kProgram << ' ' << program.pid << ' ' << program.image << "\r\n";
    for (const CreatedKey& created : state.createdKeys)
        text << kCreatedKey << ' ' << created.view << ' ' << created.key << "\r\n";
    for (const std::string& dir : state.createdDirs)
        text << kCreatedDir << ' ' << dir << "\r\n";
    return machine::WriteText(StatePath(), text.str());
}

bool LoadState(State& state)
{
    state = State();
    state.variant.win64 = ThisMachine().win64;
    std::istringstream lines(machine::ReadText(StatePath()));
    std::string line;
    bool any = false;
    while (std::getline(lines, line)) {
        if (!line.empty() && line.back() == '\r')
            line.pop_back();
        const std::size_t blank = line.find(' ');
        if (blank == std::string::npos || !ReadLine(line.substr(0, blank), line.substr(blank + 1), state))
            return false;
        any = true;
    }
    return any;
}

}  // namespace sample
