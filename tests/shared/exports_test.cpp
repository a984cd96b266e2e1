// liborvservice exports exactly what exported_symbols.txt lists: every member that the
// library provides to its sibling libraries, its four virtual tables and the registry path
// array, and nothing else of ours. The standard library's weak template instantiations and
// the type information that goes with an exported virtual table are the only other symbols a
// shared library built this way unavoidably exports; they are let through by name, below.

#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <set>
#include <string>
#include <vector>

#include "dynamic_symbols.h"

namespace {

// Names the static linker itself may define in any shared object.
const std::set<std::string> kLinkerMarkers = {"_init", "_fini", "_edata", "_end", "__bss_start"};

std::set<std::string> ReadExpected(const std::string& path) {
    std::ifstream file(path);
    if (!file) {
        throw std::runtime_error("cannot read " + path);
    }
    std::set<std::string> names;
    std::string line;
    while (std::getline(file, line)) {
        line.erase(0, line.find_first_not_of(" \t"));
        line.erase(line.find_last_not_of(" \t\r") + 1);
        if (!line.empty() && line[0] != '#') {
            names.insert(line);
        }
    }
    return names;
}

// The qualified name of the entity a demangled symbol names: special prefixes ("typeinfo
// for ") and a function's return type and parameters dropped.
std::string EntityOf(std::string name) {
    for (const char* prefix : {"typeinfo name for ", "typeinfo for ", "vtable for ", "VTT for ",
                               "guard variable for "}) {
        if (name.rfind(prefix, 0) == 0) {
            return name.substr(std::char_traits<char>::length(prefix));
        }
    }
    int depth = 0;
    std::size_t lastSpace = std::string::npos;
    for (std::size_t i = 0; i < name.size(); ++i) {
        const char c = name[i];
        if (c == '<') {
            ++depth;
        } else if (c == '>') {
            --depth;
        } else if (depth == 0 && c == '(') {
            name.resize(i);
            break;
        } else if (depth == 0 && c == ' ') {
            lastSpace = i;
        }
    }
    return lastSpace == std::string::npos ? name : name.substr(lastSpace + 1);
}

bool IsWeak(char type) {
    return type == 'W' || type == 'V' || type == 'u' || type == 'w' || type == 'v';
}

class ExportsTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        symbols_ = new std::vector<DynamicSymbol>(ReadDynamicSymbols(ORV_SERVICE_LIBRARY));
        expected_ = new std::set<std::string>(ReadExpected(ORV_EXPORTED_SYMBOLS));
    }
    static void TearDownTestSuite() {
        delete symbols_;
        delete expected_;
    }

    static const DynamicSymbol* Find(const std::string& name) {
        for (const DynamicSymbol& symbol : *symbols_) {
            if (symbol.name == name) {
                return &symbol;
            }
        }
        return nullptr;
    }

    // A symbol the toolchain exports on its own: the type information of a class whose
    // virtual table we export, or a weak instantiation of a standard-library template.
    static bool IsRuntimeSymbol(const DynamicSymbol& symbol) {
        for (const char* prefix : {"typeinfo for ", "typeinfo name for "}) {
            if (symbol.name.rfind(prefix, 0) == 0 &&
                expected_->count("vtable for " + EntityOf(symbol.name)) != 0) {
                return true;
            }
        }
        const std::string entity = EntityOf(symbol.name);
        return IsWeak(symbol.type) &&
               (entity.rfind("std::", 0) == 0 || entity.rfind("__gnu_cxx::", 0) == 0);
    }

    static std::vector<DynamicSymbol>* symbols_;
    static std::set<std::string>* expected_;
};

std::vector<DynamicSymbol>* ExportsTest::symbols_ = nullptr;
std::set<std::string>* ExportsTest::expected_ = nullptr;

TEST_F(ExportsTest, EveryProvidedMemberIsExported) {
    ASSERT_GT(expected_->size(), 100u);
    std::vector<std::string> missing;
    for (const std::string& name : *expected_) {
        if (Find(name) == nullptr) {
            missing.push_back(name);
        }
    }
    EXPECT_TRUE(missing.empty()) << "not exported:\n  " << ::testing::PrintToString(missing);
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
    EXPECT_EQ(*path->size, sizeof(L"Software\\Quelro\\ORV"));
}

TEST_F(ExportsTest, NothingUndeclaredLeaks) {
    std::vector<std::string> leaks;
    for (const DynamicSymbol& symbol : *symbols_) {
        if (expected_->count(symbol.name) == 0 && kLinkerMarkers.count(symbol.name) == 0 &&
            !IsRuntimeSymbol(symbol)) {
            leaks.push_back(std::string(1, symbol.type) + " " + symbol.name);
        }
    }
    EXPECT_TRUE(leaks.empty()) << "exported but not declared:\n  "
                               << ::testing::PrintToString(leaks);
}

TEST_F(ExportsTest, NoExternCEntryPoints) {
    std::vector<std::string> plain;
    for (const DynamicSymbol& symbol : *symbols_) {
        if (!symbol.isCxx && kLinkerMarkers.count(symbol.mangled) == 0) {
            plain.push_back(symbol.mangled);
        }
    }
    EXPECT_TRUE(plain.empty()) << "symbols without C++ linkage:\n  "
                               << ::testing::PrintToString(plain);
}

TEST_F(ExportsTest, RuntimeRuleLetsOnlyItsOwnKindThrough) {
    // The rule must not let through symbols of ours that merely look like the runtime's.
    DynamicSymbol ours{"", "ORV::CoreUtility::CoreUtility()", 'W', {}, true};
    DynamicSymbol strongStd{"", "std::vector<int, std::allocator<int> >::~vector()", 'T', {}, true};
    DynamicSymbol typeinfoOfOther{"", "typeinfo for OrvInfo", 'V', {}, true};
    DynamicSymbol weakStd{"",
                          "void std::vector<void*, std::allocator<void*> >::"
                          "_M_realloc_insert<void*>(int)",
                          'W',
                          {},
                          true};
    DynamicSymbol typeinfoOfTable{"", "typeinfo for ORV::CoreUtility", 'V', {}, true};
    EXPECT_FALSE(IsRuntimeSymbol(ours));
    EXPECT_FALSE(IsRuntimeSymbol(strongStd));
    EXPECT_FALSE(IsRuntimeSymbol(typeinfoOfOther));
    EXPECT_TRUE(IsRuntimeSymbol(weakStd));
    EXPECT_TRUE(IsRuntimeSymbol(typeinfoOfTable));
}

}  // namespace
