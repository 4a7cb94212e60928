// The headless program: its key files, arguments, traces and frame dumps.
#include <gtest/gtest.h>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

// Parses text; the events as "tick:action:vk" words, or the error message.
static std::string Parse(const std::string &text, bool *ok)
{
    HeadlessEvent events[32];
    int count = 0;
    char message[128] = "";
    *ok = Headless_ParseKeys(text.data(), (uint32_t)text.size(), events, 32, &count, message,
                             sizeof(message));
    std::string s = *ok ? "" : message;
    for (int i = 0; *ok && i < count; i++)
        s += std::to_string(events[i].tick) + ":" + std::to_string(events[i].action) + ":" +
             std::to_string(events[i].vk) + " ";
    return s;
}

TEST(KeyFile, EventsCommentsPressesAndBadLines)
{
    bool ok;
    // A press's release comes at the next tick, before that tick's own events.
    std::string expect = "3:0:13 4:1:13 4:0:37 4:0:55 5:1:55 9:1:37 12:3:0 15:4:0 ";
    EXPECT_EQ(Parse("# a game\n\n3 press Enter\n4 down Left  # hold\r\n4 press 7\n"
                    "9 up Left\n12 focus-lost\n15 close\n",
                    &ok),
              expect);
    EXPECT_TRUE(ok);
    EXPECT_EQ(Parse("", &ok), "");
    EXPECT_TRUE(ok);

    for (const char *bad :
         {"1 down Left\n0 up Left\n", "1 down\n", "1 hop Left\n", "x down Left\n", "1 down Q\n",
          "1 close now\n", "1 down Left Up\n", "-4 down Left\n", "2\n", "1 down F10\n"}) {
        EXPECT_NE(Parse(bad, &ok).find("line "), std::string::npos) << bad;
        EXPECT_FALSE(ok) << bad;
    }
    EXPECT_EQ(Parse("1 down Left\n\n# x\n3 up Nope\n", &ok).rfind("line 4", 0), 0u);
    std::string many;
    for (int i = 0; i < 40; i++) many += "1 press 1\n";
    Parse(many, &ok);
    EXPECT_FALSE(ok) << "more events than room";
}

TEST(HeadlessProgram, TraceFramesArgumentsAndExit)
{
    TempFolder t;
    const std::string &dir = t.dir;
    WriteText(dir + "/keys.txt", "2 press Left\n4 down F8\n");
    std::string out;
    ASSERT_EQ(RunHeadless("--dir " + dir + " --ticks 50 --keys " + dir + "/keys.txt --trace " +
                              dir + "/trace.jsonl --frames " + dir + " --frame-at 0,3",
                          &out),
              0)
        << out;
    std::vector<std::string> lines = ReadLines(dir + "/trace.jsonl");
    ASSERT_EQ(lines.size(), 4u); // F8 at tick 4 closes the program after that tick
    for (size_t i = 0; i < lines.size(); i++) {
        EXPECT_EQ(TraceField(lines[i], "tick"), std::to_string(i + 1));
        EXPECT_EQ(TraceField(lines[i], "screen") + TraceField(lines[i], "timer") +
                      TraceField(lines[i], "presented"),
                  "Intro20true");
        EXPECT_EQ(TraceField(lines[i], "frame").size(), 16u);
        EXPECT_EQ(TraceField(lines[i], "sounds").substr(0, 1), "[");
    }
    EXPECT_EQ(ReadBytes(dir + "/SS.dat").size(), 1052u);
    Bytes png = ReadBytes(dir + "/frame-000003.png");
    ASSERT_GT(png.size(), 33u);
    // PNG, width 240 and height 320 = 0x140 in the header.
    EXPECT_EQ((std::vector<int>{png[1], png[19], png[22], png[23]}),
              (std::vector<int>{'P', 240, 1, 0x40}));
    EXPECT_FALSE(ReadBytes(dir + "/frame-000000.png").empty());

    // Bad arguments exit with 2 and say why; a bad key file names its line.
    WriteText(dir + "/bad.txt", "1 down Left\n2 sideways Left\n");
    for (std::string args : {"--ticks", "--ticks -5", "--ticks 12x", "--frame-every 0",
                             "--frame-at 1,,2", "--bogus 1"})
        EXPECT_TRUE(RunHeadless("--dir " + dir + " " + args, &out) == 2 && !out.empty()) << args;
    EXPECT_EQ(RunHeadless("--dir " + dir + " --keys " + dir + "/none.txt", &out), 2);
    EXPECT_EQ(RunHeadless("--dir " + dir + " --keys " + dir + "/bad.txt", &out), 2);
    EXPECT_NE(out.find("line 2"), std::string::npos) << out;
}
