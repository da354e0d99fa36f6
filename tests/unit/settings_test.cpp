// The settings reader: the stream rules that a naive key/value parser breaks.
#include "shell/settings.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

namespace {

Settings read(const std::string& text)
{
    std::istringstream in(text);
    Settings s;
    readSettings(in, s);
    return s;
}

void expectDefaults(const Settings& s, bool checkWindowed = true)
{
    EXPECT_TRUE(s.sound);
    if (checkWindowed) {
        EXPECT_FALSE(s.windowed);
    }
    EXPECT_EQ(0, s.colorDepth);
    EXPECT_TRUE(s.music);
    EXPECT_FLOAT_EQ(1.0f, s.mouseSensitivity);
}

TEST(Settings, MissingFileKeepsEveryDefault)
{
    std::ifstream none("/nonexistent/settings.ini");
    Settings s;
    readSettings(none, s);
    expectDefaults(s);
}

TEST(Settings, AllFiveKeysInAnyLayout)
{
    Settings s = read("MouseSensitivity 0.5\nMusic 0 Color 32\n\n  Windowed\t1 Sound 0");
    EXPECT_FALSE(s.sound);
    EXPECT_TRUE(s.windowed);
    EXPECT_EQ(32, s.colorDepth);
    EXPECT_FALSE(s.music);
    EXPECT_FLOAT_EQ(0.5f, s.mouseSensitivity);
}

TEST(Settings, OnlyWindowedThenEndOfFile)
{
    Settings s = read("Windowed 1\n");
    EXPECT_TRUE(s.windowed);
    expectDefaults(s, false);
}

TEST(Settings, BadBooleanFailsEverythingAfterIt)
{
    for (const char* bad : {"Sound 2", "Sound yes", "Sound -1", "Sound 10"}) {
        Settings s = read(std::string(bad) + "\nWindowed 1\nColor 32\nMusic 0\nMouseSensitivity 3\n");
        SCOPED_TRACE(bad);
        expectDefaults(s); // soundOn stays true, windowed stays false
    }
}

TEST(Settings, FailedValueKeepsWhatItHad)
{
    // Out of range for int: the stream would store INT_MAX; the setting must not change.
    Settings s = read("Windowed 1 Color 99999999999 Music 0");
    EXPECT_TRUE(s.windowed);
    EXPECT_EQ(0, s.colorDepth);
    EXPECT_TRUE(s.music);
    Settings f = read("MouseSensitivity 1e999 Sound 0");
    EXPECT_FLOAT_EQ(1.0f, f.mouseSensitivity);
    EXPECT_TRUE(f.sound);
}

TEST(Settings, UnknownKeyUsesUpTwoPasses)
{
    // Pass 1 reads "Volume", pass 2 reads "7" as a key; passes 3-5 read the
    // three pairs that follow, and the fourth pair is never reached.
    Settings s = read("Volume 7 Sound 0 Windowed 1 Color 15 Music 0");
    EXPECT_FALSE(s.sound);
    EXPECT_TRUE(s.windowed);
    EXPECT_EQ(15, s.colorDepth);
    EXPECT_TRUE(s.music);
}

TEST(Settings, LaterValueWinsAndSixthPairIsNeverRead)
{
    Settings s = read("Color 16 Color 24 Sound 1 Music 1 Windowed 0 Color 32");
    EXPECT_EQ(24, s.colorDepth);
}

TEST(Settings, KeysAreCaseSensitive)
{
    Settings s = read("sound 0 windowed 1 Sound 0");
    EXPECT_FALSE(s.sound);
    EXPECT_FALSE(s.windowed);
}

TEST(Settings, ZeroSensitivityAndNegativeSensitivityAreAccepted)
{
    EXPECT_FLOAT_EQ(0.0f, read("MouseSensitivity 0").mouseSensitivity);
    EXPECT_FLOAT_EQ(-2.0f, read("MouseSensitivity -2").mouseSensitivity);
}

} // namespace
