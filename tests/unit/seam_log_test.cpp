// The seam record: what the game read and showed, written line by line, as
// the end-to-end steering test and the start-up benchmark read it back.
#include "shell/al.h"
#include "shell/seam.h"
#include "shell/seam_log.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct LogLine {
    std::string event;
    double time;
    std::vector<int> args;
};

std::vector<LogLine> readLog(const std::string& path)
{
    std::vector<LogLine> lines;
    std::ifstream in(path);
    std::string text;
    while (std::getline(in, text)) {
        std::istringstream fields(text);
        LogLine line;
        fields >> line.event >> line.time;
        int value;
        while (fields >> value)
            line.args.push_back(value);
        lines.push_back(line);
    }
    return lines;
}

std::string events(const std::vector<LogLine>& lines)
{
    std::string all;
    for (const LogLine& line : lines) {
        all += line.event;
        for (int value : line.args)
            all += " " + std::to_string(value);
        all += ";";
    }
    return all;
}

class SeamLogTest : public ::testing::Test {
protected:
    ScopedTestSeam scoped;
    std::string path = ::testing::TempDir() + "seam_log_test.txt";
    void TearDown() override
    {
        stopSeamLog();
        std::remove(path.c_str());
    }
};

TEST_F(SeamLogTest, RecordsWhatTheGameReadAndScreenChangesInOrder)
{
    BITMAP* logo = create_bitmap(200, 100);
    BITMAP* frame = create_bitmap(640, 480);
    ASSERT_TRUE(startSeamLog(path.c_str()));

    int mx = 7, my = 7;
    seam.clearScreen(0);
    seam.present(logo, 220, 190);
    seam.present(logo, 220, 190); // same place and size: not written again
    seam.mouseX();
    seam.mouseY();                // still pointing: one "point" only
    seam.present(frame, 0, 0);
    seam.present(frame, 0, 0);
    testSeam.mickeyX = 250;
    testSeam.mickeyY = -3;
    seam.mouseMickeys(&mx, &my);
    EXPECT_EQ(250, mx); // handed on unchanged
    EXPECT_EQ(-3, my);
    seam.mouseMickeys(&mx, &my); // nothing moved: no line
    testSeam.mickeyX = -1;
    seam.mouseMickeys(&mx, &my);
    seam.mouseY();
    testSeam.mickeyY = 12;
    seam.mouseMickeys(&mx, &my);
    stopSeamLog();
    seam.mouseMickeys(&mx, &my); // after the stop: nothing written

    EXPECT_EQ("clear;present 220 190 200 100;point;present 0 0 640 480;steer;mickeys 250 -3;"
              "mickeys -1 0;point;steer;mickeys 0 12;",
              events(readLog(path)));
    EXPECT_EQ(1, testSeam.screenClears);
    EXPECT_EQ(4, testSeam.presents);
    destroy_bitmap(logo);
    destroy_bitmap(frame);
}

TEST_F(SeamLogTest, TimesAreWallClockSecondsInOrder)
{
    const double before = static_cast<double>(time(nullptr));
    ASSERT_TRUE(startSeamLog(path.c_str()));
    int mx, my;
    for (int i = 1; i <= 50; ++i) {
        testSeam.mickeyX = i;
        seam.mouseMickeys(&mx, &my);
    }
    stopSeamLog();
    const double after = static_cast<double>(time(nullptr)) + 1;
    const std::vector<LogLine> lines = readLog(path);
    ASSERT_EQ(51u, lines.size());
    long sum = 0;
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_GE(lines[i].time, before);
        EXPECT_LE(lines[i].time, after);
        if (i > 0) {
            EXPECT_GE(lines[i].time, lines[i - 1].time);
            sum += lines[i].args.at(0);
        }
    }
    EXPECT_EQ(50 * 51 / 2, sum);
}

TEST_F(SeamLogTest, AFileThatCannotBeMadeLeavesTheSeamAlone)
{
    const Seam before = seam;
    EXPECT_FALSE(startSeamLog("/nonexistent-dir/seam.txt"));
    EXPECT_EQ(before.mouseMickeys, seam.mouseMickeys);
    EXPECT_EQ(before.present, seam.present);
}

} // namespace
