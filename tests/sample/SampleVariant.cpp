#include "sample/SampleVariant.h"

#include "machine/Registry.h"
#include "machine/Views.h"
#include "sysops/Probes.h"

#include <cstdlib>
#include <iterator>

namespace sample {

namespace {

bool IsNineX(int osClass) { return osClass == sysops::OSCLASS_WIN98 || osClass == sysops::OSCLASS_WINME; }

// 98, Me and NT 4 run the product as programs; later Windows as a service.
bool RunsAsPrograms(int osClass) { return IsNineX(osClass) || osClass == sysops::OSCLASS_NT4; }

// Gina's values in their order, as the variant's option spells them.
constexpr const char* kGinaWords[] = {"bare", "path", "other"};

const char* GinaWord(Gina gina) { return kGinaWords[static_cast<int>(gina)]; }

}  // namespace

Variant ThisMachine()
{
    Variant variant;
    variant.osClass = sysops::GetOsClass();
    variant.win64 = machine::IsWow64();
    return variant;
}

std::string DescribeVariant(const Variant& variant)
{
    return "class=" + std::to_string(variant.osClass) +
           " neighbours=" + (variant.neighbours == Neighbours::Present ? "yes" : "no") +
           " gina=" + GinaWord(variant.gina) +
           " installdir=" + (variant.installDirFrom == InstallDirFrom::Registry ? "registry" : "search");
}

bool ParseVariantOption(const std::string& word, Variant& variant)
{
    const std::size_t equals = word.find('=');
    if (equals == std::string::npos)
        return false;
    const std::string name = word.substr(0, equals);
    const std::string value = word.substr(equals + 1);
    if (name == "class") {
        char* end = nullptr;
        const long osClass = std::strtol(value.c_str(), &end, 10);
        if (value.empty() || *end != '\0' || osClass < sysops::OSCLASS_WIN98 || osClass > sysops::OSCLASS_WIN8)
            return false;
        variant.osClass = static_cast<int>(osClass);
        return true;
    }
    if (name == "neighbours" && (value == "yes" || value == "no")) {
        variant.neighbours = value == "yes" ? Neighbours::Present : Neighbours::Absent;
        return true;
    }
    if (name == "gina") {
        for (int gina = 0; gina < static_cast<int>(std::size(kGinaWords)); ++gina) {
            if (value == kGinaWords[gina]) {
                variant.gina = static_cast<Gina>(gina);
                return true;
            }
        }
        return false;
    }
    if (name == "installdir" && (value == "registry" || value == "search")) {
        variant.installDirFrom = value == "registry" ? InstallDirFrom::Registry : InstallDirFrom::Search;
        return true;
    }
    return false;
}

bool Applies(When when, const Variant& variant, const char* key)
{
    switch (when) {
    case When::Always: return true;
    case When::Win64: return variant.win64;
    case When::Win64OtherView: return variant.win64 && key != nullptr && !machine::ViewsShareKey(key);
    case When::Neighbours: return variant.neighbours == Neighbours::Present;
    case When::Alone: return variant.neighbours == Neighbours::Absent;
    case When::RegistryForm: return variant.installDirFrom == InstallDirFrom::Registry;
    case When::GinaBare: return variant.gina == Gina::Bare;
    case When::GinaPath: return variant.gina == Gina::WithPath;
    case When::GinaOther: return variant.gina == Gina::Other;
    case When::ServiceClass: return !RunsAsPrograms(variant.osClass);
    case When::ProcessClass: return RunsAsPrograms(variant.osClass);
    case When::NineX: return IsNineX(variant.osClass);
    case When::NotNineX: return !IsNineX(variant.osClass);
    }
    return false;
}

bool PresentAfterRun(Fate fate, const Variant& variant)
{
    switch (fate) {
    case Fate::Gone: return false;
    case Fate::Stays: return true;
    case Fate::DriverStep: return variant.osClass < sysops::OSCLASS_WIN2000;
    case Fate::Appears: return true;
    }
    return true;
}

}  // namespace sample
