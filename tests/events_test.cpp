#include <gtest/gtest.h>

#include <vector>

#include "ui/events.h"

namespace kestrava {
namespace {

TEST(EventQueue, AnEventEqualToTheLastWaitingOneIsNotQueuedTwice) {
    EventQueue queue;
    queue.post(tick_event());
    queue.post(tick_event());
    EXPECT_EQ(queue.size(), 1U);
    queue.post(control_event(ControlId::Start));
    queue.post(tick_event());  // equal to an earlier one, but not to the last: queued
    queue.post(control_event(ControlId::IpField));
    queue.post(control_event(ControlId::IpField));
    EXPECT_EQ(queue.size(), 4U);

    EXPECT_EQ(queue.take(), tick_event());
    EXPECT_EQ(queue.take(), control_event(ControlId::Start));
    EXPECT_EQ(queue.take(), tick_event());
    EXPECT_EQ(queue.take(), control_event(ControlId::IpField));
    EXPECT_FALSE(queue.take().has_value());
    // Once fetched, the same event can be queued again.
    queue.post(tick_event());
    EXPECT_EQ(queue.size(), 1U);
}

TEST(EventQueue, BoundHandlerRunsForEveryClickWhileItsEventIsQueuedOnce) {
    EventQueue queue;
    std::vector<std::size_t> queued_when_handler_ran;
    queue.bind(ControlId::Stop, [&] { queued_when_handler_ran.push_back(queue.size()); });
    queue.click(ControlId::Stop);
    queue.click(ControlId::Stop);
    queue.click(ControlId::ResetAll);  // not bound: only queued
    EXPECT_EQ(queued_when_handler_ran, (std::vector<std::size_t>{0, 1}));
    EXPECT_EQ(queue.size(), 2U);  // Stop once (duplicate suppressed), then Reset All
    EXPECT_EQ(queue.drop_all(), 2U);
    EXPECT_TRUE(queue.empty());
}

}  // namespace
}  // namespace kestrava
