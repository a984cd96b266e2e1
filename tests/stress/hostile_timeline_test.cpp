// orvhost on hostile scenario files: timelines made of the manual's own examples, in any order
// and number, grouped and nested at random, their numbers pushed to the limits and their texts
// to great lengths. Whatever the file, orvhost must end with status 0, 1 or 2 and say why,
// never crash, hang or trip a sanitizer.
//
// More runs, or one seed again: ORV_STRESS_RUNS=<n>, ORV_STRESS_SEED=<seed>.

#include <gtest/gtest.h>
#include <json/json.h>

#include <atomic>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <map>
#include <random>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "child_run.h"
#include "manual_examples.h"

namespace orvstress {
namespace {

constexpr std::chrono::milliseconds kRunTimeout{240000};

// The manual's JSON examples that parse, by their tag.
using Examples = std::map<std::string, std::vector<Json::Value>>;

Examples ReadExamples() {
    Examples examples;
    for (const orvtest::ManualExample& example : orvtest::ManualExamples()) {
        Json::Value value;
        std::istringstream json(example.text);
        // A broken example is the documentation test's to report.
        if (Json::parseFromStream(Json::CharReaderBuilder(), json, &value, nullptr)) {
            examples[example.tag].push_back(value);
        }
    }
    return examples;
}

class HostileScenario {
  public:
    HostileScenario(const Examples& examples, std::uint64_t seed)
        : _examples(examples), _random(seed) {}

    Json::Value Make() {
        // Most files are valid, so that their timelines run; the rest test the refusals.
        const std::size_t roll = Below(100);
        _mutation = roll < 50 ? Mutation::kNone : roll < 85 ? Mutation::kLight : Mutation::kHeavy;
        Json::Value scenario(Json::objectValue);
        // Short waits and a fast clock keep a run that waits for what never comes short.
        scenario["timeoutMs"] = Json::Value(1500);
        scenario["machine"] =
            Chance(30) ? Mutated(Pick(_examples.at("machine"))) : Json::objectValue;
        scenario["machine"]["clockScale"] = 50;
        if (Chance(30)) {
            scenario["client"] = Mutated(Pick(_examples.at("client")));
        }
        if (Chance(30)) {
            scenario["expect"].append(Mutated(Pick(_examples.at("expectation"))));
        }
        const int steps =
            Chance(5) && _mutation != Mutation::kHeavy ? 300 : static_cast<int>(Below(12)) + 1;
        scenario["timeline"] = Json::arrayValue;
        for (int i = 0; i < steps; ++i) {
            scenario["timeline"].append(Step(Chance(3) ? 2 : 1));
        }
        return scenario;
    }

  private:
    Json::Value Step(int depth) {
        if (depth > 0 && Chance(15)) {
            Json::Value group(Json::objectValue);
            group["do"] = "together";
            const int members = Below(3) + (Chance(90) ? 2 : 0);
            for (int i = 0; i < members; ++i) {
                group["steps"].append(Step(depth - 1));
            }
            return group;
        }
        return Mutated(Pick(_examples.at("step")));
    }

    // A copy of `value` with some of its leaves replaced by extremes, and now and then one
    // buried deep in arrays.
    Json::Value Mutated(const Json::Value& value) {
        if (_mutation == Mutation::kNone) {
            return value;
        }
        const bool heavy = _mutation == Mutation::kHeavy;
        if (value.isObject()) {
            Json::Value copy(Json::objectValue);
            for (const std::string& key : value.getMemberNames()) {
                if (heavy && Chance(5)) {
                    continue;
                }
                copy[key] = key == "do" && !heavy ? value[key] : Mutated(value[key]);
            }
            return copy;
        }
        if (value.isArray()) {
            Json::Value copy(Json::arrayValue);
            for (const Json::Value& item : value) {
                copy.append(Mutated(item));
            }
            return copy;
        }
        if (heavy && Chance(3)) {
            return Nested(Extreme(), 2000);
        }
        if (value.isNumeric() && Chance(heavy ? 25 : 8)) {
            return Extreme();
        }
        if (value.isString() && Chance(heavy ? 10 : 2)) {
            return Chance(50) ? Json::Value("") : Json::Value(std::string(200000, 'x'));
        }
        return value;
    }

    Json::Value Extreme() {
        static const Json::Value kExtremes[] = {
            Json::Value(0),
            Json::Value(-1),
            Json::Value(Json::Int64{2147483647}),
            Json::Value(Json::Int64{4294967296}),
            Json::Value(Json::Int64{9223372036854775807}),
            Json::Value(Json::Int64{-9223372036854775807 - 1}),
            Json::Value(Json::UInt64{18446744073709551615ULL}),
            Json::Value(1e308),
            Json::Value(-0.5),
            Json::Value(true),
            Json::Value(Json::nullValue),
            Json::Value("0xFFFFFFFFFFFFFFFFF"),
        };
        return kExtremes[Below(std::size(kExtremes))];
    }

    static Json::Value Nested(Json::Value leaf, int depth) {
        for (int i = 0; i < depth; ++i) {
            Json::Value array(Json::arrayValue);
            array.append(std::move(leaf));
            leaf = std::move(array);
        }
        return leaf;
    }

    const Json::Value& Pick(const std::vector<Json::Value>& from) {
        return from[Below(from.size())];
    }
    bool Chance(int percent) { return Below(100) < static_cast<std::size_t>(percent); }
    std::size_t Below(std::size_t bound) {
        return std::uniform_int_distribution<std::size_t>(0, bound - 1)(_random);
    }

    enum class Mutation { kNone, kLight, kHeavy };

    const Examples& _examples;
    std::mt19937_64 _random;
    Mutation _mutation = Mutation::kNone;
};

// What a run's output must never hold, whatever its status.
bool HasFault(const std::string& output) {
    for (const char* fault : {"Sanitizer", "runtime error:", "terminate called", "Segmentation"}) {
        if (output.find(fault) != std::string::npos) {
            return true;
        }
    }
    return false;
}

TEST(HostileTimelineTest, AnyTimelineOfDocumentedStepsEndsInAStatusWithAMessage) {
    Examples examples = ReadExamples();
    ASSERT_GE(examples["step"].size(), 15U) << "the manual's step examples were not found";
    for (const char* tag : {"machine", "client", "expectation"}) {
        ASSERT_FALSE(examples[tag].empty()) << tag;
    }

    const std::uint64_t seed = SeedFor("HostileTimelineTest", 20261206);
    const int runs = CountFromEnvironment("ORV_STRESS_RUNS", 16);
    const std::filesystem::path directory =
        std::filesystem::temp_directory_path() / ("orv-hostile-" + std::to_string(getpid()));
    std::filesystem::create_directories(directory);

    std::vector<ChildResult> results(runs);
    std::vector<std::filesystem::path> files(runs);
    std::atomic<int> next{0};
    const auto runSome = [&] {
        for (int i = next++; i < runs; i = next++) {
            HostileScenario maker(examples, seed + static_cast<std::uint64_t>(i));
            files[i] = directory / ("run-" + std::to_string(i) + ".json");
            std::ofstream(files[i]) << Json::writeString(Json::StreamWriterBuilder(), maker.Make());
            const std::string logDir = (directory / ("log-" + std::to_string(i))).string();
            std::filesystem::create_directories(logDir);
            results[i] =
                RunProgram({ORVHOST_PATH, "run", "-q", files[i].string(), "--log-dir", logDir}, {},
                           kRunTimeout);
        }
    };
    std::thread helper(runSome);
    runSome();
    helper.join();

    int byStatus[3] = {0, 0, 0};
    for (int i = 0; i < runs; ++i) {
        const ChildResult& result = results[i];
        const std::string repeat = " (seed " + std::to_string(seed + i) + ", file " +
                                   files[i].string() + ")\n" + result.output.substr(0, 4000);
        ASSERT_FALSE(result.timedOut) << "orvhost hung" << repeat;
        ASSERT_EQ(result.signal, 0) << "orvhost crashed" << repeat;
        ASSERT_TRUE(result.exitCode >= 0 && result.exitCode <= 2)
            << "orvhost exited with " << result.exitCode << repeat;
        ASSERT_FALSE(HasFault(result.output)) << repeat;
        if (result.exitCode != 0) {
            ASSERT_FALSE(result.output.empty())
                << "status " << result.exitCode << " unexplained" << repeat;
        }
        ++byStatus[result.exitCode];
    }
    std::cout << "hostile timelines: " << runs << " runs, " << byStatus[0] << " passed, "
              << byStatus[1] << " failed a step or an expectation, " << byStatus[2] << " refused\n";
    std::filesystem::remove_all(directory);
}

}  // namespace
}  // namespace orvstress
