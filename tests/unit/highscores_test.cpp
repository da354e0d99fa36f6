// The high-score table against one kept by hand, its file read back byte for
// byte, damaged files, and saves that fail or are killed half-way. Each test
// runs in a directory of its own, where the table keeps its temporary files.
#include "support/game_fixture.h"

#include <fcntl.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <iterator>

namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::pair<std::string, int>>;

Rows rowsOf(HighscoreManager& table)
{
    Rows rows;
    for (int i = 0; i < table.Size(); ++i)
        rows.emplace_back(table.GetEntry(i).name, table.GetEntry(i).score);
    return rows;
}

// The file as it must be: "name score" CR LF per row, every byte complemented.
std::string encoded(const Rows& rows, std::string text = "")
{
    for (const auto& r : rows)
        text += r.first + " " + std::to_string(r.second) + "\r\n";
    for (char& c : text)
        c = static_cast<char>(~c);
    return text;
}

std::string readBytes(const char* path)
{
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

class Highscores : public ::testing::Test {
protected:
    fs::path home = fs::current_path(), dir = "/tmp/tarnavel-scores-" + std::to_string(getpid());
    void SetUp() override { fs::remove_all(dir), fs::create_directories(dir), fs::current_path(dir); }
    void TearDown() override { fs::current_path(home), fs::remove_all(dir); }
};

// The hand-kept table drops its last row and inserts the new one ahead of
// the first row it ranks strictly ahead of, under the name as it reads back
// from the file: '_' for blanks and control bytes, "Anonymous" for none.
TEST_F(Highscores, RankingAndTheFileMatchAHandKeptTable)
{
    std::mt19937 rng(7);
    for (int trial = 0; trial < 60; ++trial) {
        const bool lower = trial % 2;
        const int size = 1 + trial % 6;
        HighscoreManager table(size, lower), read(size, lower);
        Rows kept(static_cast<size_t>(size), {"None", lower ? 100 : 0});
        auto ahead = [&](int a, int b) { return lower ? a < b : a > b; };
        for (int step = 0; step < 20; ++step) { // names of random bytes, scores with many ties
            std::string name, stored;
            for (size_t n = rng() % 10; name.size() < n;) {
                const unsigned char c = rng() % 2 ? 33 + rng() % 94 : rng() % 256;
                name += static_cast<char>(c);
                stored += c <= ' ' || c == 127 ? '_' : static_cast<char>(c);
            }
            const int score = rng() % 8 ? static_cast<int>(rng() % 21) * 10 - 50 : static_cast<int>(rng());
            const bool onList = ahead(score, kept.back().second);
            ASSERT_EQ(onList, table.IsOnList(score));
            const auto at = std::find_if(kept.begin(), kept.end() - 1, [&](auto& r) { return ahead(score, r.second); });
            if (onList)
                kept.insert(at, {name.empty() ? "Anonymous" : stored, score}), kept.pop_back();
            table.AddEntry(name, score);
            ASSERT_EQ(kept, rowsOf(table)) << "trial " << trial << ", step " << step;
        }
        ASSERT_TRUE(table.PrintToFile("highscores.tav"));
        ASSERT_EQ(encoded(kept), readBytes("highscores.tav")) << "trial " << trial;
        ASSERT_TRUE(read.ReadFromFile("highscores.tav"));
        ASSERT_EQ(kept, rowsOf(read)) << "trial " << trial;
    }
    EXPECT_EQ(std::set<std::string>{"highscores.tav"}, listing());
}

// Rows are overwritten in file order until the data ends or a field fails.
TEST_F(Highscores, ShortGarbageAndMissingFilesFillWhatTheyCan)
{
    const Rows before = {{"v", 50}, {"w", 40}, {"x", 30}, {"y", 20}, {"z", 10}};
    const Rows ab = {{"A", 1}, {"B", 40}, {"x", 30}, {"y", 20}, {"z", 10}};
    const std::pair<const char*, Rows> cases[] = { // the plain text, stored complemented; nullptr: no file
        {nullptr, before},
        {"", before},
        {"A 7\r\nB 8\r\nC 9\r\n", {{"A", 7}, {"B", 8}, {"C", 9}, {"y", 20}, {"z", 10}}},
        {"A 1\r\nB 2\r\nC 3\r\nD 4\r\nE 5\r\nF 6\r\n", {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}}},
        {" c\t10\nA -2\r\r\n\nb 3 D 4 E 5", {{"c", 10}, {"A", -2}, {"b", 3}, {"D", 4}, {"E", 5}}},
        {"A 1\r\nB", ab}, {"A 1\r\nB lots\r\nC 3\r\n", ab}, {"A 1\r\nB 2147483648\r\nC 3\r\n", ab},
    };
    for (const auto& c : cases) {
        fs::remove("highscores.tav");
        if (c.first)
            std::ofstream("highscores.tav", std::ios::binary) << encoded({}, c.first);
        HighscoreManager table(5, false);
        for (int i = 0; i < 5; ++i)
            table.entries.push_back({before[i].first, before[i].second, false}), table.entries.pop_front();
        EXPECT_TRUE(table.ReadFromFile("highscores.tav"));
        EXPECT_EQ(c.second, rowsOf(table)) << (c.first ? c.first : "no file");
        EXPECT_EQ(c.first ? std::set<std::string>{"highscores.tav"} : std::set<std::string>{}, listing());
    }
}

// A save that cannot complete, or is killed before its rename, leaves the
// old file whole (and answers false). It runs in a child that gives up root's
// right to pass file permissions. Tempout.txt made a pipe holds a save where
// the test wants it: the child writes its text into the pipe, makes the new
// file beside the old one and waits for a writer that never comes; it is
// killed there.
TEST_F(Highscores, AFailedOrKilledSaveKeepsTheOldFile)
{
    const std::pair<std::string, std::set<std::string>> cases[] = { // read-only, in the way, or a pipe; the files after
        {".", {"table"}}, {"table", {"table"}}, {"Tempout.txt", {"table", "Tempout.txt"}},
        {"pipe", {"table", "table.tmp", "Tempout.txt"}}};
    for (const auto& [what, after] : cases) {
        const fs::path own = dir / ("in" + what);
        fs::create_directory(own), fs::current_path(own);
        HighscoreManager table(5, false);
        table.AddEntry("Kept", 77);
        ASSERT_TRUE(table.PrintToFile("table") && chmod("table", 0640) == 0);
        const std::string old = readBytes("table");
        const bool pipe = what == "pipe";
        const int reader = pipe ? (mkfifo("Tempout.txt", 0600), open("Tempout.txt", O_RDONLY | O_NONBLOCK)) : -1;
        what == "Tempout.txt" ? (void)fs::create_directory(what) : pipe ? void() : (void)chmod(what.c_str(), 0555);
        table.AddEntry("Lost", 999);
        const pid_t child = fork();
        if (child == 0) {
            __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
            __user_cap_data_struct caps[2] = {};
            syscall(SYS_capget, &header, caps);
            caps[0].effective &= ~(1u << CAP_DAC_OVERRIDE | 1u << CAP_DAC_READ_SEARCH | 1u << CAP_FOWNER);
            _exit(syscall(SYS_capset, &header, caps) != 0 ? 2 : table.PrintToFile("table"));
        }
        int status = -1;
        for (int ms = 0; ms < 20000 && waitpid(child, &status, WNOHANG) == 0; ++ms, usleep(1000))
            if (fs::exists("table.tmp"))
                kill(child, SIGKILL);
        chmod(".", 0755), close(reader);
        EXPECT_EQ(pipe ? SIGKILL : 0, status) << what;
        EXPECT_EQ(old, readBytes("table")) << what;
        EXPECT_EQ(after, listing()) << what;
    }
    // Past the killed save, the next one goes through, clears what it left
    // and keeps the file's mode.
    HighscoreManager table(5, false);
    table.AddEntry("New", 999);
    ASSERT_TRUE(fs::remove("Tempout.txt") && table.PrintToFile("table"));
    EXPECT_EQ(encoded(rowsOf(table)), readBytes("table"));
    EXPECT_EQ(std::set<std::string>{"table"}, listing());
    struct stat st;
    EXPECT_TRUE(stat("table", &st) == 0 && (st.st_mode & 07777) == 0640);
}

} // namespace
