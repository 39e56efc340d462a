// The run command: a scenario file, each step printed with its result as it
// ends (--json: one trace at the end), exit status 0 only when every
// expectation held. Long steps show a progress line on a terminal.
#include <chrono>
#include <cstdio>
#include <iostream>
#include <optional>

#if defined(_WIN32)
#include <io.h>
#else
#include <unistd.h>
#endif

#include "host/scenario.h"
#include "tools/cli/cli.h"

namespace twcli {

namespace {

bool stderrIsTerminal() {
#if defined(_WIN32)
    return _isatty(_fileno(stderr)) != 0;
#else
    return isatty(fileno(stderr)) != 0;
#endif
}

const char* statusName(tw::StepResult::Status s) {
    switch (s) {
        case tw::StepResult::Status::Done:
            return "done";
        case tw::StepResult::Status::Held:
            return "held";
        case tw::StepResult::Status::Failed:
            return "failed";
        case tw::StepResult::Status::Skipped:
            return "skipped";
    }
    return "done";
}

class Printer : public tw::ScenarioObserver {
public:
    explicit Printer(bool json) : json_(json), progress_(stderrIsTerminal()) {
        trace_ = Json::array();
    }

    void stepDone(const tw::StepResult& r) override {
        clearProgress();
        started_.reset();
        if (json_) {
            trace_.push_back(stepJson(r));
            return;
        }
        std::string result;
        switch (r.status) {
            case tw::StepResult::Status::Held:
                result = "ok";
                break;
            case tw::StepResult::Status::Skipped:
                result = r.detail;
                break;
            case tw::StepResult::Status::Failed:
                result = "FAILED: " + r.detail;
                break;
            case tw::StepResult::Status::Done:
                result = r.detail;
                if (r.events.total() > 0)
                    result += (result.empty() ? "sent " : "; sent ") + r.events.text();
                break;
        }
        std::string line = std::to_string(r.step->line);
        std::cout << std::string(line.size() < 5 ? 5 - line.size() : 0, ' ') << line << "  "
                  << r.step->text << (result.empty() ? "" : "  -- ") << result << std::endl;
    }

    // A line on the terminal, redrawn at most ten times a second, once a step
    // has taken more than a moment.
    void progress(const tw::ScenarioStep& step, int64_t done, int64_t total) override {
        if (!progress_) return;
        auto now = std::chrono::steady_clock::now();
        if (!started_) started_ = now;
        if (now - *started_ < std::chrono::milliseconds(300)) return;
        if (shown_ && now - last_ < std::chrono::milliseconds(100)) return;
        last_ = now;
        shown_ = true;
        std::cerr << "\r  line " << step.line << ": " << done << " of " << total << " ("
                  << 100 * done / total << "%)" << std::flush;
    }

    Json& trace() { return trace_; }

private:
    bool json_, progress_;
    bool shown_ = false;
    std::optional<std::chrono::steady_clock::time_point> started_;
    std::chrono::steady_clock::time_point last_{};
    Json trace_;

    void clearProgress() {
        if (!shown_) return;
        std::cerr << "\r\033[K" << std::flush;
        shown_ = false;
    }

    static Json stepJson(const tw::StepResult& r) {
        Json j;
        j["line"] = r.step->line;
        j["step"] = r.step->text;
        j["result"] = statusName(r.status);
        if (!r.detail.empty()) j["detail"] = r.detail;
        if (r.status == tw::StepResult::Status::Failed && !r.expected.empty()) {
            j["expected"] = r.expected;
            j["seen"] = r.seen;
        }
        if (r.sound) {
            Json sound;
            sound["name"] = r.sound->name;
            sound["buffers"] = r.sound->buffers;
            sound["state"] = r.sound->state;
            sound["plays"] = r.sound->plays;
            sound["volume"] = r.sound->volume;
            j["sound"] = std::move(sound);
        }
        if (r.events.total() > 0) {
            Json events = Json::array();
            for (const auto& [e, n] : r.events.first()) {
                Json ev;
                ev["id"] = e.id;
                ev["value"] = static_cast<int32_t>(e.value);
                ev["count"] = n;
                events.push_back(std::move(ev));
            }
            j["events"] = std::move(events);
            j["event_count"] = r.events.total();
        }
        return j;
    }
};

}  // namespace

int runCommand(const Options& o) {
    tw::Scenario scenario;
    try {
        scenario = tw::readScenario(o.scenario_file);
    } catch (const tw::ScenarioError& e) {
        throw UsageError(e.what());
    } catch (const std::runtime_error& e) {
        throw UsageError(e.what());
    }
    auto host = makeHost(o, false);
    Printer printer(o.json);
    if (!o.json) std::cout << o.scenario_file << "\n";
    tw::ScenarioOutcome out;
    try {
        out = tw::runScenario(*host, scenario, &printer);
    } catch (const tw::ScenarioError& e) {
        throw UsageError(e.what());
    }
    if (o.json) {
        Json j;
        j["scenario"] = o.scenario_file;
        j["passed"] = out.passed;
        j["failed_line"] = out.passed ? Json(nullptr) : Json(out.failed_line);
        if (!out.passed) j["failure"] = out.failure;
        j["steps"] = std::move(printer.trace());
        j["held"] = out.held;
        j["skipped"] = out.skipped;
        printJson(j);
    } else if (out.passed) {
        std::cout << "passed: " << out.steps << " steps, " << out.held << " expectations held, "
                  << out.skipped << " skipped\n";
    }
    if (!out.passed) {
        std::cout << std::flush;
        std::cerr << out.failure << std::endl;
    }
    return out.passed ? 0 : 1;
}

}  // namespace twcli
