// The high-score table against one kept by hand, its file read back byte for
// byte, damaged files and what is no table, and saves that fail or are
// killed half-way. Each test
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
// from the file: '_' for every byte but visible ASCII, "Anonymous" for none;
// the score held within the table's range.
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
                stored += c <= ' ' || c > 126 ? '_' : static_cast<char>(c);
            }
            const int score = rng() % 8 ? static_cast<int>(rng() % 21) * 10 - 50 : static_cast<int>(rng());
            const int held = std::clamp(score, tableScoreLowest, tableScoreHighest);
            const bool onList = ahead(held, kept.back().second);
            ASSERT_EQ(onList, table.IsOnList(score));
            const auto at = std::find_if(kept.begin(), kept.end() - 1, [&](auto& r) { return ahead(held, r.second); });
            if (onList)
                kept.insert(at, {name.empty() ? "Anonymous" : stored, held}), kept.pop_back();
            table.AddEntry(name, score);
            ASSERT_EQ(kept, rowsOf(table)) << "trial " << trial << ", step " << step;
        }
        fs::remove("highscores.tav"); // a longer table's file is no table of this size
        ASSERT_TRUE(table.PrintToFile("highscores.tav"));
        ASSERT_EQ(encoded(kept), readBytes("highscores.tav")) << "trial " << trial;
        ASSERT_TRUE(read.ReadFromFile("highscores.tav"));
        ASSERT_EQ(kept, rowsOf(read)) << "trial " << trial;
    }
    EXPECT_EQ(std::set<std::string>{"highscores.tav"}, listing());
}

// Rows are overwritten in file order, each whole or not at all, until the
// data ends or a row does not read; then sorted. Only a file a save would
// lose nothing of reads as a table. The file itself is all that is read: the
// directory stays as it was.
TEST_F(Highscores, ReadingTakesWhatIsARowAndTamesIt)
{
    const Rows before = {{"v", 50}, {"w", 40}, {"x", 30}, {"y", 20}, {"z", 10}};
    const Rows a1 = {{"w", 40}, {"x", 30}, {"y", 20}, {"z", 10}, {"A", 1}};
    std::mt19937 rng(3);
    std::string noise(300, ' '), padded = "A 1" + std::string(4093, '\n');
    for (char& c : noise)
        c = static_cast<char>(rng());
    const struct { const char* what; std::string text; bool table; Rows rows; } cases[] = { // text stored complemented
        {"none", "", true, before}, {"empty", "", true, before},
        {"three rows", "A 7\r\nB 80\r\nC 9\r\n", true, {{"B", 80}, {"y", 20}, {"z", 10}, {"C", 9}, {"A", 7}}},
        {"whitespace of any kind, out of order", " c\t10\nA -2\r\r\n\nb 3 D 4 E 5", true,
         {{"c", 10}, {"E", 5}, {"D", 4}, {"b", 3}, {"A", -2}}},
        {"a sixth row", "A 1\r\nB 2\r\nC 3\r\nD 4\r\nE 5\r\nF 6\r\n", false, {{"E", 5}, {"D", 4}, {"C", 3}, {"B", 2}, {"A", 1}}},
        {"a name without score", "A 1\r\nB", false, a1}, {"a word for a score", "A 1\r\nB lots\r\nC 3\r\n", false, a1},
        {"+1", "A +1\r\n", false, a1},
        {"long names, other bytes", "Abcdefghijklmnopq 7 \x01\xc3\xa9 6", false,
         {{"x", 30}, {"y", 20}, {"z", 10}, {"Abcdefghi", 7}, {"___", 6}}},
        {"scores past the column", "A 2147483648 B -99999999999999999999", false,
         {{"A", tableScoreHighest}, {"x", 30}, {"y", 20}, {"z", 10}, {"B", tableScoreLowest}}},
        {"noise", noise, false, before}, {"4 KB", padded, true, a1}, {"4 KB and a byte", padded + " ", false, a1},
        {"a directory", "", false, before},
    };
    for (const auto& c : cases) {
        fs::remove_all("highscores.tav");
        if (c.what == std::string("a directory"))
            fs::create_directory("highscores.tav");
        else if (c.what != std::string("none"))
            std::ofstream("highscores.tav", std::ios::binary) << encoded({}, c.text);
        HighscoreManager table(5, false);
        for (int i = 0; i < 5; ++i)
            table.entries.push_back({before[i].first, before[i].second, false}), table.entries.pop_front();
        chmod(".", 0555);
        EXPECT_EQ(c.table, table.ReadFromFile("highscores.tav")) << c.what;
        chmod(".", 0755);
        EXPECT_EQ(c.table ? 0u : 1u, table.notes.size()) << c.what;
        EXPECT_EQ(c.rows, rowsOf(table)) << c.what;
        EXPECT_EQ(c.what == std::string("none") ? std::set<std::string>{} : std::set<std::string>{"highscores.tav"},
                  listing()) << c.what;
    }
}

// What stands under the table's name and is no table is kept beside it, by
// a second name, before a save replaces it; a table is replaced.
TEST_F(Highscores, ASaveKeepsWhatIsNoTable)
{
    const std::string noTable = "t was no table as the game writes it: kept as ";
    const struct { const char* what; std::string stored; std::set<std::string> after; std::string note; } cases[] = {
        {"a table", encoded({{"A", 5}}), {"t"}, ""},
        {"no table", "hello", {"t", "t.kept-1"}, noTable + "t.kept-1."},
        {"no table, one kept before", "hello", {"t", "t.kept-1", "t.kept-2"}, noTable + "t.kept-2."},
        {"no table that no one may read", "\x01", {"t", "t.kept-1"}, noTable + "t.kept-1."},
        {"a directory", "", {"t", "t.kept-1"}, "t could not be read: kept as t.kept-1."},
    };
    HighscoreManager table(5, false);
    table.AddEntry("New", 9);
    for (const auto& c : cases) {
        for (const std::string& name : listing())
            fs::remove_all(name);
        c.stored.empty() ? (void)fs::create_directory("t") : (void)(std::ofstream("t") << c.stored);
        if (c.stored == "\x01")
            fs::permissions("t", fs::perms::none);
        if (c.after.size() == 3)
            std::ofstream("t.kept-1") << "older";
        EXPECT_TRUE(table.PrintToFile("t")) << c.what;
        EXPECT_EQ(c.after, listing()) << c.what;
        EXPECT_EQ(encoded(rowsOf(table)), readBytes("t")) << c.what;
        EXPECT_EQ(c.note, table.notes.empty() ? "" : table.notes.at(0)) << c.what;
        const bool keptFile = c.after.size() > 1 && !c.stored.empty();
        EXPECT_EQ(keptFile ? c.stored : "", keptFile ? readBytes(c.after.rbegin()->c_str()) : "") << c.what;
        const fs::perms owner = fs::perms::owner_read | fs::perms::owner_write;
        EXPECT_EQ(owner, fs::status("t").permissions() & owner) << c.what;
    }
    // A table behind a link is saved where the link points.
    for (const std::string& name : listing())
        fs::remove_all(name);
    std::ofstream("elsewhere") << encoded({{"A", 5}});
    fs::create_symlink("elsewhere", "t");
    EXPECT_TRUE(table.PrintToFile("t"));
    EXPECT_TRUE(fs::is_symlink("t"));
    EXPECT_EQ(encoded(rowsOf(table)), readBytes("elsewhere"));
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
            // 0: the save failed, and one note says so.
            _exit(syscall(SYS_capset, &header, caps) != 0 ? 2 : table.PrintToFile("table") || table.notes.size() != 1);
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
