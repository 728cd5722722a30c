// Several modules on one line, in-process: each answers for itself, one set to another speed
// than the line's stays silent, answers to one request collide; and replies lost at random.
#include "Controls.h"
#include "Line.h"

#include <gtest/gtest.h>

using busframe::Request;
using sim::Line;
using sim::Module;
using sim::Response;

namespace {

Request Identify(uint8_t address)
{
    return {address, busframe::CommandIdentify, 0, 0, {}};
}

Response Ask(const Line& line, const Request& request, uint32_t speed = 0)
{
    return line.Receive(busframe::EncodeRequest(request), speed);
}

std::optional<busframe::Reply> ReplyTo(const Line& line, const Request& request, uint32_t speed = 0)
{
    return busframe::DecodeReply(Ask(line, request, speed).bytes);
}

std::string Apply(const Line& line, const std::string& words)
{
    sim::ControlTarget target{line};
    return sim::ParseControl(sim::SplitWords(words)).action(target);
}

} // namespace

TEST(SimLine, EveryModuleAnswersForItselfAndAnswersToAddressZeroCollide)
{
    Module first("KQ-3110", 3);
    Module second("RZ-310", 42);
    const Line line({&first, &second});
    EXPECT_EQ(ReplyTo(line, Identify(3))->address, 3);
    EXPECT_EQ(ReplyTo(line, Identify(42))->data[0], 'R');
    EXPECT_EQ(Ask(line, Identify(9)).kind, Response::Kind::Silent);

    const Response collided = Ask(line, Identify(0));
    EXPECT_EQ(collided.kind, Response::Kind::Reply);
    EXPECT_EQ(collided.bytes.size(), busframe::ReplySize);
    EXPECT_FALSE(busframe::DecodeReply(collided.bytes)) << "no frame comes out of a collision";

    // With one of them silent at address 0, the other's answer comes through whole.
    first.DropReplies(1);
    EXPECT_EQ(ReplyTo(line, Identify(0))->address, 42);

    const sim::Counters counters = line.GetCounters();
    EXPECT_EQ(counters.requests, 5u) << "every frame on the line, once";
    EXPECT_EQ(counters.replies, 5u) << "every module's own";
}

TEST(SimLine, AModuleSetToAnotherSpeedStaysSilentAndTakesItsOwnWireTime)
{
    Module module("KQ-3110", 3);
    module.SetBusSpeed(19200);
    module.SetWireSpeed(600);
    const Line line(module);
    EXPECT_EQ(Ask(line, Identify(3), 9600).kind, Response::Kind::Silent);
    const Response answer = Ask(line, Identify(3), 19200);
    ASSERT_EQ(answer.kind, Response::Kind::Reply);
    EXPECT_NEAR(double(answer.delay.count()),
                double(busframe::WireTimeUs(21, 19200) + busframe::SilenceGapUs(19200)), 2.0);
    EXPECT_EQ(answer.characterTime.count(), int64_t(busframe::CharacterTimeUs(19200)));
    EXPECT_EQ(Ask(line, Identify(3)).kind, Response::Kind::Reply) << "a line of unknown speed";
}

TEST(SimLine, ControlsActOnEveryModule)
{
    Module first("KQ-3110", 3);
    Module second("RZ-310", 42);
    const Line line({&first, &second});
    EXPECT_EQ(Apply(line, "drop 1"), "ok drop 1");
    EXPECT_EQ(Ask(line, Identify(3)).kind, Response::Kind::Silent);
    EXPECT_EQ(Ask(line, Identify(42)).kind, Response::Kind::Silent);
    EXPECT_EQ(Ask(line, Identify(3)).kind, Response::Kind::Reply);

    Apply(line, "status-bits 0x4");
    EXPECT_EQ(first.Status(), 4u);
    EXPECT_EQ(second.Status(), 4u);
    EXPECT_EQ(Apply(line, "lose 1"), "ok lose 1");
    EXPECT_EQ(Ask(line, Identify(42)).kind, Response::Kind::Silent) << "one in one: every reply";
    Apply(line, "clear");
    EXPECT_EQ(Ask(line, Identify(42)).kind, Response::Kind::Reply);
    EXPECT_EQ(Apply(line, "counters"), "requests 5 replies 2 garbage 0");
}

TEST(SimModule, LosesRepliesAtRandomAsOftenAsAskedAndAgainWithTheSameSeed)
{
    const auto lost = [](uint32_t seed) {
        Module module;
        module.LoseReplies(10, seed);
        std::vector<int> silent;
        for (int i = 0; i < 1000; ++i) {
            if (Ask(Line(module), Identify(1)).kind == Response::Kind::Silent)
                silent.push_back(i);
        }
        return silent;
    };
    const std::vector<int> once = lost(7);
    EXPECT_GT(once.size(), 60u);
    EXPECT_LT(once.size(), 140u);
    EXPECT_EQ(lost(7), once);
    EXPECT_NE(lost(8), once);
}
