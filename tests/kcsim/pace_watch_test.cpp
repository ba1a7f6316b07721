// The pace watch's needs at their edges, and the credit it gives for late
// stamps, from a table of gaps.
#include <iterator>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "pace_watch.h"

namespace kcsim {
namespace {

using Role = ByteRole;
using namespace std::chrono_literals;

struct Arrival {
    ByteRole role;
    Clock::duration before;
    int times = 1;
};

struct PaceCase {
    const char* what;
    std::vector<Arrival> arrivals;
    PaceCounts expected;
};

std::string shown(const PaceCounts& counts) {
    return "characters " + std::to_string(counts.characters) + ", lines " +
           std::to_string(counts.lines) + ", wraps " + std::to_string(counts.wraps) + ", T " +
           std::to_string(counts.escapes);
}

// After a CR and one character, 38 more 6 ms apart: the last is the line's
// 40th, the CR counting as its first.
constexpr Arrival kToTheMark[] = {
    {Role::CarriageReturn, 0ms}, {Role::Character, 400023us}, {Role::Character, 6ms, 38}};

std::vector<Arrival> toTheMarkThen(Arrival next) {
    std::vector<Arrival> arrivals(std::begin(kToTheMark), std::end(kToTheMark));
    arrivals.push_back(next);
    return arrivals;
}

// Unless a row says otherwise, no gap before the last has anything to spare,
// so no credit covers the last.
const PaceCase kCases[] = {
    {"a character 5.9 ms after one",
     {{Role::Character, 0ms}, {Role::Character, 5900us}},
     {.characters = 1}},
    {"a character 6 ms after one", {{Role::Character, 0ms}, {Role::Character, 6ms}}, {}},
    {"ESC 5.9 ms after a character",
     {{Role::Character, 0ms}, {Role::Escape, 5900us}},
     {.characters = 1}},
    {"a stray ESC's next key 5.9 ms on",
     {{Role::Escape, 0ms}, {Role::Character, 5900us}},
     {.characters = 1}},
    {"a line 400 ms after the first CR, which needs 400.023",
     {{Role::CarriageReturn, 0ms}, {Role::Character, 400ms}},
     {.lines = 1}},
    {"a line 400.1 ms after the first CR",
     {{Role::CarriageReturn, 0ms}, {Role::Character, 400100us}},
     {}},
    {"ESC 399.9 ms after a CR",
     {{Role::CarriageReturn, 0ms}, {Role::Escape, 399900us}},
     {.lines = 1}},
    {"a key 299.9 ms after the 40th, the CR the 1st",
     toTheMarkThen({Role::Character, 299900us}),
     {.wraps = 1}},
    {"a key 300 ms after the 40th, the CR the 1st", toTheMarkThen({Role::Character, 300ms}), {}},
    {"a key 6 ms after the 39th",
     {{Role::CarriageReturn, 0ms},
      {Role::Character, 400023us},
      {Role::Character, 6ms, 37},
      {Role::Character, 6ms}},
     {}},
    {"a CR 299.9 ms after the 40th of the first line",
     {{Role::Character, 0ms}, {Role::Character, 6ms, 39}, {Role::CarriageReturn, 299900us}},
     {.wraps = 1}},
    {"a key 299.9 ms after the 80th",
     {{Role::Character, 0ms},
      {Role::Character, 6ms, 39},
      {Role::Character, 300ms},
      {Role::Character, 6ms, 39},
      {Role::Character, 299900us}},
     {.wraps = 1}},
    {"T 49.9 ms after ESC", {{Role::Escape, 0ms}, {Role::T, 49900us}}, {.escapes = 1}},
    {"T 50 ms after ESC", {{Role::Escape, 0ms}, {Role::T, 50ms}}, {}},
    {"an upload's bytes, then keys, back to back",
     {{Role::Escape, 0ms},
      {Role::T, 50ms},
      {Role::Other, 0ms, 104},
      {Role::CarriageReturn, 0ms},
      {Role::Character, 0ms}},
     {.lines = 1}},
    {"a character 5 ms short after one 5 ms long",
     {{Role::Character, 0ms}, {Role::Character, 11ms}, {Role::Character, 1ms}},
     {}},
    {"a character 5 ms short after one 4.9 ms long",
     {{Role::Character, 0ms}, {Role::Character, 10900us}, {Role::Character, 1ms}},
     {.characters = 1}},
    {"a third character short after two that spent the credit",
     {{Role::Character, 0ms},
      {Role::Character, 11ms},
      {Role::Character, 3500us, 2},
      {Role::Character, 5900us}},
     {.characters = 1}},
    {"a character 0.9 ms after one after a pause, 5 ms being the most credit",
     {{Role::Character, 0ms}, {Role::Character, 1s}, {Role::Character, 900us}},
     {.characters = 1}},
    {"a character 1 ms after one after a pause",
     {{Role::Character, 0ms}, {Role::Character, 1s}, {Role::Character, 1ms}},
     {}},
    {"a line 624.9 ms after the 10000th keystroke, a CR, which needs 630 less the credit",
     {{Role::CarriageReturn, 0ms}, {Role::CarriageReturn, 1s, 9999}, {Role::Character, 624900us}},
     {.lines = 1}},
    {"a line 625 ms after the 10000th keystroke",
     {{Role::CarriageReturn, 0ms}, {Role::CarriageReturn, 1s, 9999}, {Role::Character, 625ms}},
     {}},
};

TEST(PaceWatch, CountsWhatCameSoonerThanTheFirmwareNeeds) {
    for (const PaceCase& test : kCases) {
        PaceWatch watch;
        Clock::time_point at{};
        for (const Arrival& arrival : test.arrivals) {
            for (int i = 0; i < arrival.times; ++i) {
                at += arrival.before;
                watch.take(arrival.role, at);
            }
        }
        EXPECT_EQ(shown(watch.counts()), shown(test.expected)) << test.what;
    }
}

}  // namespace
}  // namespace kcsim
