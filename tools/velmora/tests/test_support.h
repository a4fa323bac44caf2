// Helpers shared by the velmora tool tests: a scratch folder and a scripted
// engine that logs every call it receives.
#pragma once

#include <atomic>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <string>
#include <thread>
#include <vector>

#include "reader/core/engine_client.h"

namespace velmora::cli::testing {

/// A fresh folder under the system's temp folder, removed with its contents.
class TempDir {
public:
    TempDir() {
        std::string pattern =
            (std::filesystem::temp_directory_path() / "velmora-cli-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        std::filesystem::remove_all(path_, ec);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    const std::string& path() const { return path_; }
    std::string file(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

inline void writeFile(const std::string& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

/// Log shared by several engines so tests can see the order across workers.
struct CallLog {
    std::mutex mutex;
    std::vector<std::string> calls;
    void add(std::string call) {
        std::lock_guard lock(mutex);
        calls.push_back(std::move(call));
    }
};

/// What the scripted engine answers.
struct EngineScript {
    std::map<std::string, int> statusByImage;   ///< images not listed read with 0
    std::map<std::string, int> delayMsByImage;  ///< run() sleeps this long
    int imageAreas = 0;
    std::string answers = "3,-1,1";
    std::string reliability = "150.0,0.0,999.0";
    std::string marked = "1,0,1";
    std::string multiQuestions;     ///< get_multi_questions text
    std::vector<std::string> dots;  ///< by multi-answer list position
    int rotated = 0, skew = 4, offsetX = 12, offsetY = -7;
    double angle = 0.25;
    /// Images that fail to load (-2) when another run was going on while
    /// they were read, as a sheet too large for the memory left would.
    std::set<std::string> failWhenCrowded;
    /// Runs going on at the moment, over every engine of the script.
    std::shared_ptr<std::atomic<int>> running = std::make_shared<std::atomic<int>>(0);
    /// With several workers: the first runs of the failWhenCrowded images
    /// wait for each other and fail together, so crowding does not depend on
    /// the machine's speed.
    bool crowdedMeet = false;
    std::shared_ptr<std::atomic<int>> arrivals = std::make_shared<std::atomic<int>>(0);
    /// Images run at least once, over every engine of the script.
    std::shared_ptr<std::set<std::string>> runOnce = std::make_shared<std::set<std::string>>();
    std::shared_ptr<std::mutex> runOnceMutex = std::make_shared<std::mutex>();
};

/// Logs "name value valueStr" per call and answers from the script; the
/// result getters answer for the image given last.
class ScriptedEngine final : public tarrow::StrovaEngine {
public:
    ScriptedEngine(const EngineScript& script, CallLog& log, std::string tag = "")
        : script_(script), log_(log), tag_(std::move(tag)) {}

    std::optional<int> putIniFilename(std::string_view path) override {
        log("ini " + std::string(path));
        return 0;
    }
    std::optional<int> putImageFilename(std::string_view path) override {
        image_ = path;
        log("image " + image_);
        return 0;
    }
    std::optional<int> putNotify(int, int) override { return 0; }
    std::optional<int> run() override {
        log("run " + image_);
        const int before = (*script_.running)++;
        if (const auto d = script_.delayMsByImage.find(image_); d != script_.delayMsByImage.end()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(d->second));
        }
        bool crowded = before > 0 || *script_.running > 1;
        if (script_.crowdedMeet && script_.failWhenCrowded.count(image_) > 0 && firstRunOf(image_))
            crowded = meetAPartner();
        --*script_.running;
        if (crowded && script_.failWhenCrowded.count(image_) > 0) return -2;
        const auto it = script_.statusByImage.find(image_);
        return it == script_.statusByImage.end() ? 0 : it->second;
    }
    /// True at the first run of `image` over every engine.
    bool firstRunOf(const std::string& image) {
        std::lock_guard lock(*script_.runOnceMutex);
        return script_.runOnce->insert(image).second;
    }
    /// Waits (a few seconds at most) until a second crowded image arrives
    /// here too; true when it did.
    bool meetAPartner() const {
        ++*script_.arrivals;
        for (int i = 0; i < 500 && *script_.arrivals < 2; ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        return *script_.arrivals >= 2;
    }

    std::optional<int> getResult(std::string& result, std::string& reliability) override {
        log("getResult");
        result = script_.answers;
        reliability = script_.reliability;
        return 0;
    }
    std::optional<tarrow::OptionOutputs> putOptions(tarrow::OptionAction action, int value,
                                                    std::string_view valueStr) override {
        log(std::string(strovik::optionActionName(action)) + " " + std::to_string(value) + " " +
            std::string(valueStr));
        tarrow::OptionOutputs out;
        answer(action, value, out);
        return out;
    }
    std::optional<double> sheetAngle() const override { return script_.angle; }

private:
    void log(std::string call) { log_.add(tag_ + call); }

    void answer(tarrow::OptionAction action, int value, tarrow::OptionOutputs& out) const {
        using A = tarrow::OptionAction;
        if (action == A::GetImageAreaCount) out.retValue = script_.imageAreas;
        if (action == A::GetMarkedCounts) out.retValueStr = script_.marked;
        if (action == A::GetMultiQuestions) out.retValueStr = script_.multiQuestions;
        if (action == A::GetMultiDotsPerQuestion && value >= 0 &&
            std::size_t(value) < script_.dots.size()) {
            out.retValueStr = script_.dots[std::size_t(value)];
        }
        if (action == A::ChkRotate) out.retValue = script_.rotated;
        if (action == A::GetSkewSize) out.retValue = script_.skew;
        if (action == A::GetDiffZeroX) out.retValue = script_.offsetX;
        if (action == A::GetDiffZeroY) out.retValue = script_.offsetY;
    }

    const EngineScript& script_;
    CallLog& log_;
    std::string tag_;
    std::string image_;
};

}  // namespace velmora::cli::testing
