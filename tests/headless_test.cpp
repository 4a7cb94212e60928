// The headless program: its key files, arguments, traces and frame dumps.
#include <gtest/gtest.h>

#include <string>

#include "platform/headless/headless.h"
#include "platform/platform.h"
#include "tests/test_util.h"

static bool Parse(const std::string &text, std::vector<HeadlessEvent> *events, std::string *error)
{
    events->assign(64, HeadlessEvent{});
    int count = 0;
    char message[128] = "";
    bool ok = Headless_ParseKeys(text.data(), (uint32_t)text.size(), events->data(), 64, &count,
                                 message, sizeof(message));
    events->resize((size_t)count);
    *error = message;
    return ok;
}

TEST(KeyFile, EventsCommentsAndPresses)
{
    std::vector<HeadlessEvent> e;
    std::string error;
    ASSERT_TRUE(Parse("# a game\n\n3 press Enter\n4 down Left  # hold\r\n4 press 7\n"
                      "9 up Left\n12 focus-lost\n15 close\n",
                      &e, &error))
        << error;
    ASSERT_EQ(e.size(), 8u);
    EXPECT_EQ(e[0].tick, 3);
    EXPECT_EQ(e[0].action, ActDown);
    EXPECT_EQ(e[0].vk, VkEnter);
    // The press's release comes at the next tick, before that tick's own events.
    EXPECT_EQ(e[1].tick, 4);
    EXPECT_EQ(e[1].action, ActUp);
    EXPECT_EQ(e[1].vk, VkEnter);
    EXPECT_EQ(e[2].vk, VkLeft);
    EXPECT_EQ(e[3].vk, 0x37);
    EXPECT_EQ(e[4].tick, 5);
    EXPECT_EQ(e[4].action, ActUp);
    EXPECT_EQ(e[5].action, ActUp);
    EXPECT_EQ(e[5].vk, VkLeft);
    EXPECT_EQ(e[6].action, ActFocusLost);
    EXPECT_EQ(e[7].action, ActClose);
    ASSERT_TRUE(Parse("", &e, &error));
    EXPECT_TRUE(e.empty());
}

TEST(KeyFile, BadLinesAreNamed)
{
    const char *bad[] = {
        "1 down Left\n0 up Left\n",
        "1 down\n",
        "1 hop Left\n",
        "x down Left\n",
        "1 down Q\n",
        "1 close now\n",
        "1 down Left Up\n",
        "-4 down Left\n",
        "2\n",
        "1 down F10\n",
    };
    for (const char *text : bad) {
        std::vector<HeadlessEvent> e;
        std::string error;
        EXPECT_FALSE(Parse(text, &e, &error)) << text;
        EXPECT_NE(error.find("line "), std::string::npos) << text;
    }
    std::vector<HeadlessEvent> e;
    std::string error;
    EXPECT_FALSE(Parse("1 down Left\n\n# x\n3 up Nope\n", &e, &error));
    EXPECT_EQ(error.rfind("line 4", 0), 0u) << error;
    std::string many;
    for (int i = 0; i < 40; i++) many += "1 press 1\n";
    EXPECT_FALSE(Parse(many, &e, &error)); // more events than room
}

TEST(HeadlessProgram, TraceFramesAndExit)
{
    std::string dir = MakeTempDir();
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
        EXPECT_EQ(TraceField(lines[i], "screen"), "Intro");
        EXPECT_EQ(TraceField(lines[i], "timer"), "20");
        EXPECT_EQ(TraceField(lines[i], "presented"), "true");
        EXPECT_EQ(TraceField(lines[i], "frame").size(), 16u);
        EXPECT_EQ(TraceField(lines[i], "sounds").substr(0, 1), "[");
    }
    EXPECT_EQ(ReadBytes(dir + "/SS.dat").size(), 1052u);
    std::vector<uint8_t> png = ReadBytes(dir + "/frame-000003.png");
    ASSERT_GT(png.size(), 33u);
    EXPECT_EQ(png[1], 'P');
    EXPECT_EQ(png[19], 240); // IHDR width
    EXPECT_EQ(png[22], 1);   // IHDR height 320 = 0x140
    EXPECT_EQ(png[23], 0x40);
    EXPECT_FALSE(ReadBytes(dir + "/frame-000000.png").empty());
    RemoveTree(dir);
}

TEST(HeadlessProgram, BadArgumentsExitWithTwo)
{
    std::string dir = MakeTempDir();
    WriteText(dir + "/bad.txt", "1 down Left\n2 sideways Left\n");
    const std::string cases[] = {
        "--ticks",
        "--ticks -5",
        "--ticks 12x",
        "--frame-every 0",
        "--frame-at 1,,2",
        "--bogus 1",
        "--keys " + dir + "/none.txt",
        "--keys " + dir + "/bad.txt",
    };
    for (const std::string &args : cases) {
        std::string out;
        EXPECT_EQ(RunHeadless("--dir " + dir + " " + args, &out), 2) << args;
        EXPECT_FALSE(out.empty()) << args;
    }
    std::string out;
    RunHeadless("--dir " + dir + " --keys " + dir + "/bad.txt", &out);
    EXPECT_NE(out.find("line 2"), std::string::npos) << out;
    RemoveTree(dir);
}
