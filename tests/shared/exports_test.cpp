// liborvservice exports exactly what exported_symbols.txt lists: every member that the
// library provides to its sibling libraries, its four virtual tables and the registry path
// array, and nothing else of ours. What else a library built this way unavoidably exports is
// let through by one narrow rule (IsRuntimeSymbol): the standard library's weak template
// instantiations, the type information that goes with an exported virtual table, and in
// UndefinedBehaviorSanitizer builds the type information of function types.

#include <cxxabi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <optional>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <vector>

namespace {

// One defined dynamic symbol, as `nm -D -S --defined-only` lists it.
struct DynamicSymbol {
    std::string mangled;                // as in the symbol table
    std::string name;                   // demangled and shortened; the mangled name if not C++
    char type = '?';                    // nm's type letter: T, W, V, R, D, B, u, ...
    std::optional<std::uint64_t> size;  // bytes, when nm knows it
};

// Runs a command and returns what it wrote to standard output.
std::string Run(const std::string& command) {
    std::unique_ptr<FILE, int (*)(FILE*)> pipe(popen(command.c_str(), "r"), pclose);
    std::string output;
    std::array<char, 4096> buffer{};
    for (std::size_t read = 0;
         pipe && (read = std::fread(buffer.data(), 1, buffer.size(), pipe.get())) > 0;) {
        output.append(buffer.data(), read);
    }
    if (!pipe || pclose(pipe.release()) != 0) {
        throw std::runtime_error("failed: " + command);
    }
    return output;
}

// A C++ symbol name demangled, then written as exported_symbols.txt does: "[abi:cxx11]"
// tags dropped and std::string, std::wstring and std::vector<std::wstring> in their short
// forms. The mangled name when it is not C++.
std::string Readable(const std::string& mangled) {
    int status = 0;
    std::unique_ptr<char, void (*)(void*)> text(
        mangled.rfind("_Z", 0) == 0
            ? abi::__cxa_demangle(mangled.c_str(), nullptr, nullptr, &status)
            : nullptr,
        std::free);
    if (status != 0 || !text) {
        return mangled;
    }
    std::string name = text.get();
    const std::pair<const char*, const char*> shortForms[] = {
        {"[abi:cxx11]", ""},
        {"std::__cxx11::basic_string<wchar_t, std::char_traits<wchar_t>, std::allocator<wchar_t> >",
         "std::wstring"},
        {"std::__cxx11::basic_string<char, std::char_traits<char>, std::allocator<char> >",
         "std::string"},
        // The demangler separates closing brackets ("> >"), also after a shortened name.
        {"std::wstring >", "std::wstring>"},
        {"std::vector<std::wstring, std::allocator<std::wstring> >", "std::vector<std::wstring>"},
    };
    for (const auto& [from, to] : shortForms) {
        for (std::size_t at = name.find(from); at != std::string::npos;
             at = name.find(from, at + std::char_traits<char>::length(to))) {
            name.replace(at, std::char_traits<char>::length(from), to);
        }
    }
    return name;
}

// The defined dynamic symbols of the shared library at path.
std::vector<DynamicSymbol> ReadDynamicSymbols(const std::string& path) {
    std::vector<DynamicSymbol> symbols;
    std::istringstream lines(Run("nm -D -S --defined-only '" + path + "'"));
    for (std::string line; std::getline(lines, line);) {
        // "address [size] type name": the size column is missing for some symbols.
        std::istringstream fields(line);
        std::vector<std::string> tokens;
        for (std::string token; fields >> token;) {
            tokens.push_back(token);
        }
        if ((tokens.size() != 3 && tokens.size() != 4) || tokens[tokens.size() - 2].size() != 1) {
            continue;
        }
        DynamicSymbol symbol{
            tokens.back(), Readable(tokens.back()), tokens[tokens.size() - 2][0], {}};
        if (tokens.size() == 4) {
            symbol.size = std::stoull(tokens[1], nullptr, 16);
        }
        symbols.push_back(std::move(symbol));
    }
    return symbols;
}

// Names the static linker itself may define in any shared object.
const std::set<std::string> kLinkerMarkers = {"_init", "_fini", "_edata", "_end", "__bss_start"};

std::set<std::string> ReadExpected(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    std::set<std::string> names;
    for (std::string line; std::getline(file, line);) {
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty() && line[0] != '#') {
            names.insert(line);
        }
    }
    return names;
}

// Whether a mangled name denotes an entity in namespace std or __gnu_cxx, or a special name
// (virtual table, type information, guard variable) of one.
bool InStandardNamespace(const std::string& mangled) {
    if (mangled.rfind("_Z", 0) != 0) {
        return false;
    }
    std::string rest = mangled.substr(2);
    for (const char* special : {"TV", "TI", "TS", "TT", "GV"}) {
        if (rest.rfind(special, 0) == 0) {
            rest.erase(0, 2);
            break;
        }
    }
    if (!rest.empty() && rest[0] == 'Z') {
        rest.erase(0, 1);  // an entity local to a function: that function decides
    }
    if (!rest.empty() && rest[0] == 'N') {
        rest.erase(0, rest.find_first_not_of("NrVKRO"));
    }
    for (const char* prefix : {"St", "Sa", "Sb", "Ss", "Si", "So", "Sd", "9__gnu_cxx"}) {
        if (rest.rfind(prefix, 0) == 0) {
            return true;
        }
    }
    return false;
}

class ExportsTest : public ::testing::Test {
  protected:
    static const std::vector<DynamicSymbol>& Symbols() {
        static const auto* symbols =
            new std::vector<DynamicSymbol>(ReadDynamicSymbols(ORV_SERVICE_LIBRARY));
        return *symbols;
    }
    static const std::set<std::string>& Expected() {
        static const auto* expected = new std::set<std::string>(ReadExpected(ORV_EXPORTED_SYMBOLS));
        return *expected;
    }

    static const DynamicSymbol* Find(const std::string& name) {
        const auto found = std::find_if(Symbols().begin(), Symbols().end(),
                                        [&](const DynamicSymbol& s) { return s.name == name; });
        return found == Symbols().end() ? nullptr : &*found;
    }

    // A symbol the toolchain exports on its own: a weak instantiation of a standard-library
    // template (libstdc++ gives namespace std default visibility), the type information of
    // a class whose virtual table we export, and, in builds with UndefinedBehaviorSanitizer,
    // the type information of function types that its function check emits.
    static bool IsRuntimeSymbol(const DynamicSymbol& symbol) {
        const bool weak = std::string("WVuwv").find(symbol.type) != std::string::npos;
        if (!weak && symbol.type != 'D' && symbol.type != 'R') {
            return false;
        }
        for (const char* prefix : {"typeinfo for ", "typeinfo name for "}) {
            if (symbol.name.rfind(prefix, 0) == 0 &&
                Expected().count("vtable for " +
                                 symbol.name.substr(std::char_traits<char>::length(prefix))) != 0) {
                return true;
            }
        }
        if (!weak) {
            return false;
        }
#if defined(ORV_UNDEFINED_SANITIZER)
        if (symbol.mangled.rfind("_ZTIF", 0) == 0 || symbol.mangled.rfind("_ZTSF", 0) == 0) {
            return true;
        }
#endif
        return InStandardNamespace(symbol.mangled);
    }
};

TEST_F(ExportsTest, ExportsEveryListedMemberAndNothingElseOfOurs) {
    ASSERT_GT(Expected().size(), 100u);
    std::vector<std::string> missing, leaks;
    for (const std::string& name : Expected()) {
        if (Find(name) == nullptr) {
            missing.push_back(name);
        }
    }
    // A symbol without C++ linkage is never listed, so it shows up here too.
    for (const DynamicSymbol& symbol : Symbols()) {
        if (Expected().count(symbol.name) == 0 && kLinkerMarkers.count(symbol.name) == 0 &&
            !IsRuntimeSymbol(symbol)) {
            leaks.push_back(std::string(1, symbol.type) + " " + symbol.name);
        }
    }
    EXPECT_TRUE(missing.empty()) << "not exported:\n  " << ::testing::PrintToString(missing);
    EXPECT_TRUE(leaks.empty()) << "exported but not declared:\n  "
                               << ::testing::PrintToString(leaks);
}

TEST_F(ExportsTest, VirtualTablesAndRegistryPathAreData) {
    for (const char* table :
         {"vtable for MachineInformation", "vtable for ORV::CoreUtility",
          "vtable for orv::PersonaUtility", "vtable for ORV::DeviceInfoProvider"}) {
        const DynamicSymbol* symbol = Find(table);
        ASSERT_NE(symbol, nullptr) << table;
        EXPECT_NE(std::string("VDR").find(symbol->type), std::string::npos) << table;
    }

    // The array itself, not a pointer to it: read-only data the size of the text and its null.
    const DynamicSymbol* path = Find("ORV::CoreUtility::kORVRegistryPathW");
    ASSERT_NE(path, nullptr);
    EXPECT_EQ(path->type, 'R');
    ASSERT_TRUE(path->size.has_value());
#if defined(__SANITIZE_ADDRESS__) || (defined(__has_feature) && __has_feature(address_sanitizer))
    EXPECT_GE(*path->size, sizeof(L"Software\\Quelro\\ORV"));  // plus AddressSanitizer's redzone
#else
    EXPECT_EQ(*path->size, sizeof(L"Software\\Quelro\\ORV"));
#endif
}

TEST_F(ExportsTest, RuntimeRuleLetsOnlyItsOwnKindThrough) {
    const struct {
        const char* mangled;
        char type;
        bool runtime;
    } cases[] = {
        {"_ZN3ORV11CoreUtilityC2Ev", 'W', false},  // ours, even when weak
        {"_ZN3ORV3StdC2Ev", 'W', false},
        {"_ZNSt6vectorIiSaIiEED2Ev", 'T', false},  // the library's only when weak
        {"_ZNSt6vectorIiSaIiEED2Ev", 'W', true},
        {"_ZSt7forwardIiEOT_RNSt16remove_referenceIS0_E4typeE", 'W', true},
        {"_ZN9__gnu_cxx13new_allocatorIcED2Ev", 'W', true},
        {"_ZTIN3ORV11CoreUtilityE", 'V', true},  // type information of a table's class
        {"_ZTI7OrvInfo", 'V', false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(IsRuntimeSymbol({c.mangled, Readable(c.mangled), c.type, {}}), c.runtime)
            << c.mangled << " " << c.type;
    }
}

}  // namespace
