#include "UtteranceChain.h"

#include <ostream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace {

// A script of what the screen asks and what the engine answers, and what the engine is then
// asked to do. Steps: "say:A|B" (parts; "say:" for none), "stop", and the engine's answers
// "started", "ready", "failed". The engine's log holds each text it is handed and "(stop)".
struct ChainRow {
    const char* name;
    std::vector<std::string> steps;
    std::vector<std::string> engineLog;
    bool busyAtEnd;
};

void PrintTo(const ChainRow& row, std::ostream* out) {
    *out << row.name;
}

const ChainRow chainRows[] = {
    {"PartsFollowOneAnother",
     {"say:A|B|C", "started", "ready", "started", "ready", "started", "ready"},
     {"A", "B", "C"},
     false},
    {"NextPartWaitsForTheEnd", {"say:A|B", "started"}, {"A"}, true},
    {"ReadyBeforeStartIsTheCuts",
     {"say:A|B", "started", "say:C|D", "ready", "started", "ready"},
     {"A", "(stop)", "C", "D"},
     true},
    {"StopDropsTheRest",
     {"say:A|B", "started", "stop", "ready", "started", "ready"},
     {"A", "(stop)"},
     false},
    {"EmptyPartsLeftOut", {"say:|A|", "started", "ready"}, {"A"}, false},
    {"FailureDropsTheRest", {"say:A|B", "started", "failed", "ready"}, {"A"}, false},
    {"ReadyEngineGetsNoStop", {"say:A", "started", "ready", "say:B"}, {"A", "B"}, true},
    {"SayingNothingCuts", {"say:A|B", "started", "say:"}, {"A", "(stop)"}, false},
    {"StopWhenIdleSendsNothing", {"stop"}, {}, false},
    {"StartWithoutPartIgnored", {"started", "ready", "say:A"}, {"A"}, true},
    {"CutBeforeStartStillStops", {"say:A|B", "say:C"}, {"A", "(stop)", "C"}, true},
};

class UtteranceChainTable : public testing::TestWithParam<ChainRow> {};

TEST_P(UtteranceChainTable, EngineIsAskedInOrder) {
    const ChainRow& row = GetParam();
    std::vector<std::string> log;
    UtteranceChain chain([&log](const QString& part) { log.push_back(part.toStdString()); },
                         [&log]() { log.push_back("(stop)"); });
    for (const std::string& step : row.steps) {
        if (step.starts_with("say:")) {
            QString parts = QString::fromStdString(step.substr(4));
            chain.Say(parts.isEmpty() ? QStringList() : parts.split(QLatin1Char('|')));
        } else if (step == "stop") {
            chain.Stop();
        } else if (step == "started") {
            chain.Started();
        } else if (step == "ready") {
            chain.Ready();
        } else if (step == "failed") {
            chain.Failed();
        } else {
            FAIL() << "unknown step " << step;
        }
    }
    EXPECT_EQ(log, row.engineLog);
    EXPECT_EQ(chain.Busy(), row.busyAtEnd);
}

INSTANTIATE_TEST_SUITE_P(Rows, UtteranceChainTable, testing::ValuesIn(chainRows),
                         [](const testing::TestParamInfo<ChainRow>& info) {
                             return std::string(info.param.name);
                         });

} // namespace
