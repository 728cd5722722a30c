// The fault controls by name and the input loop of serkon-sim, in-process.
#include "ControlLoop.h"
#include "ControlLoopIo.h"
#include "Controls.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

using sim::Module;
using sim::Response;

namespace {

busframe::Request ReadRegister(uint8_t reg)
{
    return {1, busframe::CommandReadRegister, 0, 0, {reg, reg, 0, 0}};
}

Response Ask(Module& module, const busframe::Request& request)
{
    return module.Receive(busframe::EncodeRequest(request));
}

std::optional<busframe::Reply> ReplyTo(Module& module, const busframe::Request& request)
{
    return busframe::DecodeReply(Ask(module, request).bytes);
}

// Runs one control line against the module; the answer, or "refused: why".
std::string Apply(Module& module, const std::string& line)
{
    const sim::ParsedControl control = sim::ParseControl(sim::SplitWords(line));
    if (!control.action)
        return "refused: " + control.error;
    sim::ControlTarget target{module};
    return control.action(target);
}

// Feeds the text to RunControlLoop as its input; what it answered.
std::string Loop(Module& module, const std::string& input, int* result = nullptr)
{
    const InputPipe pipe(input);
    EXPECT_NE(pipe.ReadEnd(), sim::NoHandle);
    std::FILE* output = ScratchFile();
    if (!output) {
        ADD_FAILURE() << "no scratch file for the answers";
        return {};
    }
    sim::ControlTarget target{module};
    const int ended = sim::RunControlLoop(pipe.ReadEnd(), output, target);
    if (result)
        *result = ended;
    std::rewind(output);
    std::string answered;
    for (int c = std::fgetc(output); c != EOF; c = std::fgetc(output))
        answered += char(c);
    std::fclose(output);
    return answered;
}

} // namespace

TEST(SimControls, CountedFaultsHitExactlyTheNextReplies)
{
    Module module;
    EXPECT_EQ(Apply(module, "drop 2"), "ok drop 2");
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Silent);
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Silent);
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Reply);

    EXPECT_EQ(Apply(module, "corrupt 1"), "ok corrupt 1");
    EXPECT_FALSE(ReplyTo(module, ReadRegister(4)));
    EXPECT_TRUE(ReplyTo(module, ReadRegister(4)));

    EXPECT_EQ(Apply(module, "late 0x1"), "ok late 0x1");
    EXPECT_TRUE(Ask(module, ReadRegister(4)).late);
    EXPECT_FALSE(Ask(module, ReadRegister(4)).late);
}

TEST(SimControls, ShapeTheRepliesUntilTurnedOff)
{
    Module module;
    module.SetRegister(4, 4);
    EXPECT_EQ(Apply(module, "echo on"), "ok echo on");
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Echo);
    Apply(module, "echo off");
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Reply);

    Apply(module, "reply-address 9");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->address, 9);
    Apply(module, "reply-address off");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->address, 1);

    EXPECT_EQ(Apply(module, "read-back 4 77"), "ok read-back 4 77");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->data[2], 77);
    EXPECT_EQ(ReplyTo(module, ReadRegister(5))->data[2], module.Register(5)) << "only R";
    Apply(module, "read-back 4 off");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->data[2], 4);

    Apply(module, "command-status 102 4");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->status, busframe::StatusBusy);
    EXPECT_EQ(ReplyTo(module, {1, busframe::CommandIdentify, 0, 0, {}})->status, 0);
    Apply(module, "command-status 102 off");
    EXPECT_EQ(ReplyTo(module, ReadRegister(4))->status, 0);
}

TEST(SimControls, StatusBitsAddToTheStatusRegisterWhichStatusReplaces)
{
    Module module;
    Apply(module, "status 0x10");
    Apply(module, "status-bits 80");
    EXPECT_EQ(module.Status(), 0x90u) << "hexadecimal with or without 0x";
    Apply(module, "status-bits 0x80000000");
    EXPECT_EQ(module.Status(), 0x80000090u);
    Apply(module, "status 0");
    EXPECT_EQ(module.Status(), 0u);
}

TEST(SimControls, ClearEndsEveryFaultButKeepsTheWireTime)
{
    Module module;
    for (const char* line : {"baud 9600", "delay 100", "drop 5", "echo on", "reply-address 3",
                             "read-back 4 1", "command-status 102 2"})
        ASSERT_EQ(Apply(module, line).rfind("ok", 0), 0u) << line;
    EXPECT_EQ(Apply(module, "clear"), "ok clear");
    const Response response = Ask(module, ReadRegister(4));
    ASSERT_EQ(response.kind, Response::Kind::Reply);
    const auto reply = busframe::DecodeReply(response.bytes);
    EXPECT_EQ(reply->address, 1);
    EXPECT_EQ(reply->status, 0);
    EXPECT_EQ(reply->data[2], module.Register(4));
    EXPECT_EQ(module.WireSpeed(), 9600u);
    EXPECT_LT(response.delay, std::chrono::milliseconds(100)) << "the delay went";
}

TEST(SimControls, RefuseBadNamesArgumentsAndRanges)
{
    Module module;
    for (const char* line : {"", "dropp 1", "drop", "drop 1 2", "drop -1", "drop +1", "drop x", "drop 0x", "drop 4294967296",
                             "echo yes", "reply-address 256", "read-back 60 1", "read-back 4 256",
                             "read-back 4", "command-status 100", "status-bits 1FFFFFFFF",
                             "status-bits xyz", "status-bits -1", "delay 60001", "baud 4000001", "stray",
                             "counters now"}) {
        EXPECT_EQ(Apply(module, line).rfind("refused: ", 0), 0u) << '"' << line << '"';
    }
    EXPECT_EQ(Apply(module, "stray 1"), "error: stray replies need --udp");
    EXPECT_EQ(Apply(module, "read-back 4 7"), "ok read-back 4 7");
}

TEST(SimControls, NumbersAreDigitsOnly)
{
    using sim::NumberForm;
    struct Case {
        const char* text;
        NumberForm form;
        std::optional<unsigned long> value;
    };
    const Case cases[] = {
        {"0", NumberForm::DecimalOr0x, 0},
        {"255", NumberForm::DecimalOr0x, 255},
        {"0x1f", NumberForm::DecimalOr0x, 0x1F},
        {"0XFF", NumberForm::DecimalOr0x, 255},
        {"1f", NumberForm::DecimalOr0x, std::nullopt},
        {"256", NumberForm::DecimalOr0x, std::nullopt},
        {"0x100", NumberForm::DecimalOr0x, std::nullopt},
        {"1f", NumberForm::Hexadecimal, 0x1F},
        {"0x1f", NumberForm::Hexadecimal, 0x1F},
        {"100", NumberForm::Hexadecimal, std::nullopt},
        {" 3", NumberForm::DecimalOr0x, std::nullopt},
        {"\t3", NumberForm::DecimalOr0x, std::nullopt},
        {"3 ", NumberForm::DecimalOr0x, std::nullopt},
        {"0x 3", NumberForm::DecimalOr0x, std::nullopt},
        {" 3", NumberForm::Hexadecimal, std::nullopt},
        {"+3", NumberForm::DecimalOr0x, std::nullopt},
        {"-0", NumberForm::DecimalOr0x, std::nullopt},
        {"0x-1", NumberForm::DecimalOr0x, std::nullopt},
        {"", NumberForm::DecimalOr0x, std::nullopt},
        {"0x", NumberForm::DecimalOr0x, std::nullopt},
        {"0x", NumberForm::Hexadecimal, std::nullopt},
        {"0x0x1", NumberForm::Hexadecimal, std::nullopt},
        {"99999999999999999999999", NumberForm::DecimalOr0x, std::nullopt},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(sim::ParseNumber(c.text, 255, c.form), c.value)
            << '"' << c.text << "\" as " << int(c.form);
    }
    EXPECT_EQ(sim::ParseNumber("4294967295", 4294967295), 4294967295u);
}

TEST(SimControls, OptionsAreTheControlsThatMakeSenseAtStart)
{
    EXPECT_EQ(sim::OptionArity("drop"), 1);
    EXPECT_EQ(sim::OptionArity("read-back"), 2);
    EXPECT_EQ(sim::OptionArity("command-status"), 2);
    EXPECT_EQ(sim::OptionArity("counters"), -1);
    EXPECT_EQ(sim::OptionArity("clear"), -1);
    EXPECT_EQ(sim::OptionArity("udp"), -1);
    const std::string options = sim::ControlHelp(sim::HelpForm::Options);
    const std::string lines = sim::ControlHelp(sim::HelpForm::Lines);
    for (const char* name : {"drop", "corrupt", "late", "echo", "reply-address", "read-back",
                             "command-status", "status-bits", "delay", "baud"}) {
        EXPECT_NE(options.find(std::string("  --") + name + ' '), std::string::npos) << name;
        EXPECT_NE(lines.find(std::string("  ") + name + ' '), std::string::npos) << name;
    }
    EXPECT_EQ(options.find("--counters"), std::string::npos);
    EXPECT_NE(lines.find("  quit "), std::string::npos);
}

TEST(SimControlLoop, AnswersEachLineAndEndsAtQuit)
{
    Module module;
    int result = -1;
    const std::string answered =
        Loop(module, "drop 1\n\n# a note\nbogus\r\nstatus-bits 0x80\r\ncounters\nquit\ndrop 9\n",
             &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(answered,
              "ok drop 1\n"
              "error: unknown command \"bogus\" (help lists them)\n"
              "ok status-bits 0x80\n"
              "requests 0 replies 0 garbage 0\n");
    EXPECT_EQ(module.Status(), 0x80u);
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Silent) << "drop 1 held";
    EXPECT_EQ(Ask(module, ReadRegister(4)).kind, Response::Kind::Reply) << "drop 9 never ran";
}

TEST(SimControlLoop, TakesALastLineWithoutLineFeedAndRefusesOverlongLines)
{
    Module module;
    int result = -1;
    const std::string answered =
        Loop(module, std::string(5000, 'x') + "\nhelp\nquit", &result);
    EXPECT_EQ(result, 0);
    EXPECT_EQ(answered.rfind("error: line too long\n", 0), 0u);
    EXPECT_NE(answered.find("  read-back R V|off "), std::string::npos) << "help";
}
