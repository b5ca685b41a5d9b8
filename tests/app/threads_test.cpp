// Searches on several threads at once, and the search's cancel flag and
// progress report, through the controller.
#include <gtest/gtest.h>

#include <atomic>
#include <random>
#include <string>
#include <thread>
#include <vector>

#include "app/korvel.h"
#include "app/snapshot_window.h"

namespace korvel {
namespace {

// A polynomial of degree n with random integer coefficients, one per line.
std::string randomPolynomial(std::mt19937& g, int n) {
    std::uniform_int_distribution<int> digit(-99, 99);
    std::string text;
    for (int k = 0; k <= n; ++k) {
        int const re = digit(g), im = k == 0 ? 1 : digit(g);
        text.append("(").append(std::to_string(re)).append(",").append(std::to_string(im)).append(")\n");
    }
    return text;
}


// Each thread's cases differ in working precision and search, so that any
// working value shared between threads would show in the roots.
std::vector<SnapshotWindow> cases(unsigned seed) {
    std::mt19937 g(seed);
    std::vector<SnapshotWindow> out;
    int const carried[] = {40, 120, 64};
    for (int i = 0; i < 6; ++i) {
        SnapshotWindow w;
        w.input = i == 5 ? "x^12-2x^6+1" : randomPolynomial(g, 8 + 5 * i);  // the last with double roots
        w.internal = carried[i % 3];
        w.external = 20;
        w.fullPrecision = i % 2 == 1;
        w.row = i % 3 == 2;
        out.push_back(w);
    }
    return out;
}

std::vector<std::string> outputs(std::vector<SnapshotWindow> windows) {
    std::vector<std::string> texts;
    for (auto& w : windows) {
        Korvel(w).korvel();
        texts.push_back(w.output.value_or("(none)"));
    }
    return texts;
}

TEST(Threads, TwoSearchesOnTwoThreadsGiveTheirSequentialResults) {
    unsigned const seeds[] = {20261207, 7};
    std::printf("seeds %u %u\n", seeds[0], seeds[1]);
    // Every run on a fresh thread: a thread's cached constants depend on what it
    // computed before.
    std::vector<std::string> alone[2], together[2];
    for (int t = 0; t < 2; ++t) std::thread([&] { alone[t] = outputs(cases(seeds[t])); }).join();
    std::thread first([&] { together[0] = outputs(cases(seeds[0])); });
    std::thread second([&] { together[1] = outputs(cases(seeds[1])); });
    first.join();
    second.join();
    for (int t = 0; t < 2; ++t) {
        ASSERT_EQ(together[t].size(), alone[t].size());
        for (std::size_t i = 0; i < alone[t].size(); ++i) {
            EXPECT_NE(alone[t][i].find("Polynomial(root):"), std::string::npos) << alone[t][i];
            EXPECT_EQ(together[t][i], alone[t][i]) << "thread " << t << ", case " << i;
        }
    }
}

// Root after root, many reports.
SnapshotWindow longSearch() {
    SnapshotWindow w;
    std::mt19937 g(5);
    w.input = randomPolynomial(g, 30);
    w.internal = 150;
    w.external = 16;
    w.fullPrecision = true;
    return w;
}

TEST(Threads, ProgressCountsEveryRootInOrder) {
    SnapshotWindow w = longSearch();
    std::vector<int> found;
    Korvel controller(w);
    controller.setProgress([&](int k, int n, int) {
        EXPECT_EQ(n, 30);
        found.push_back(k);
    });
    ASSERT_TRUE(controller.korvel());
    ASSERT_EQ(found.size(), 31u);
    for (int k = 0; k <= 30; ++k) EXPECT_EQ(found[std::size_t(k)], k);
}

TEST(Threads, ACancelledSearchStopsAndLeavesTheOutput) {
    for (bool full : {true, false}) {
        SnapshotWindow w = longSearch();
        w.fullPrecision = full;
        std::stop_source stop;
        int calls = 0;
        Korvel controller(w);
        controller.setStop(stop.get_token());
        // Cancelled from the search's own report, so with roots still to find.
        controller.setProgress([&](int, int, int) {
            if (++calls == 2) stop.request_stop();
        });
        EXPECT_FALSE(controller.korvel());
        EXPECT_TRUE(controller.cancelled());
        EXPECT_EQ(calls, 2) << "nothing reported after the cancel";
        EXPECT_FALSE(w.output) << "full precision: " << full;
        EXPECT_FALSE(w.result);
        EXPECT_EQ(w.status.value_or(""), cancelledMessage);

        controller.setStop({});  // the next press runs whole
        EXPECT_TRUE(controller.korvel());
        EXPECT_FALSE(controller.cancelled());
    }
}

}  // namespace
}  // namespace korvel
