// The high-score table: ranking against a simple reference, the complemented
// file read back byte for byte, damaged files, and saves that fail or are
// killed half-way. Each test runs in a fresh directory of its own, since the
// table keeps its temporary files in the working directory.
#include "highscores/highscore_manager.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <grp.h>
#include <poll.h>
#include <signal.h>
#include <sys/ioctl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <random>
#include <thread>
#include <utility>
#include <vector>

namespace fs = std::filesystem;

namespace {

using Rows = std::vector<std::pair<std::string, int>>;

Rows rowsOf(HighscoreManager& table)
{
    Rows rows;
    for (int i = 0; i < table.Size(); ++i) {
        HighscoreEntry e = table.GetEntry(i);
        rows.emplace_back(e.name, e.score);
    }
    return rows;
}

void setRows(HighscoreManager& table, const Rows& rows)
{
    table.entries.clear();
    for (const auto& r : rows)
        table.entries.push_back(HighscoreEntry{r.first, r.second, table.lowerIsBetter});
}

std::string complement(std::string bytes)
{
    for (char& c : bytes)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return bytes;
}

// The file as it must be: "name score" CR LF per row, every byte complemented.
std::string encoded(const Rows& rows)
{
    std::string text;
    for (const auto& r : rows)
        text += r.first + " " + std::to_string(r.second) + "\r\n";
    return complement(text);
}

std::string readBytes(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void writeBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::vector<std::string> listing(const std::string& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

const Rows fiveNone = {{"None", 0}, {"None", 0}, {"None", 0}, {"None", 0}, {"None", 0}};

class HighscoreFiles : public ::testing::Test {
protected:
    fs::path previous;
    fs::path dir;

    void SetUp() override
    {
        std::string pattern = (fs::temp_directory_path() / "tarnavel-scores-XXXXXX").string();
        ASSERT_NE(nullptr, mkdtemp(pattern.data()));
        dir = pattern;
        previous = fs::current_path();
        fs::current_path(dir);
    }

    void TearDown() override
    {
        fs::current_path(previous);
        for (const auto& e : fs::recursive_directory_iterator(dir)) {
            if (e.is_directory() && !e.is_symlink())
                fs::permissions(e.path(), fs::perms::owner_all, fs::perm_options::add);
        }
        fs::remove_all(dir);
    }

    // Only the named files are left in the working directory: no Tempout.txt,
    // Tempin.txt or half-written sibling.
    void expectOnly(std::vector<std::string> names, const std::string& where = ".")
    {
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, listing(where));
    }
};

// Runs body in a child process and answers its exit status (or -1 when it
// did not exit normally).
int inChild(const std::function<int()>& body)
{
    pid_t pid = fork();
    if (pid == 0)
        _exit(body());
    int status = 0;
    waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

// In a child: gives up root, so that directory permissions bind.
bool becomeNobody()
{
    if (geteuid() != 0)
        return true;
    return setgroups(0, nullptr) == 0 && setgid(65534) == 0 && setuid(65534) == 0;
}

const int savedTrue = 11, savedFalse = 10, setupFailed = 3;

TEST_F(HighscoreFiles, DefaultTableAndItsFileBytes)
{
    HighscoreManager table(5, false);
    EXPECT_EQ(5, table.Size());
    EXPECT_EQ(fiveNone, rowsOf(table));
    for (const HighscoreEntry& e : table.entries)
        EXPECT_FALSE(e.lowerIsBetter);

    ASSERT_TRUE(table.PrintToFile("highscores.tav"));
    const unsigned char row[] = {0xB1, 0x90, 0x91, 0x9A, 0xDF, 0xCF, 0xF2, 0xF5};
    std::string expected;
    for (int i = 0; i < 5; ++i)
        expected.append(reinterpret_cast<const char*>(row), sizeof row);
    EXPECT_EQ(expected, readBytes("highscores.tav"));
    expectOnly({"highscores.tav"});

    HighscoreManager ascending(3, true);
    EXPECT_EQ((Rows{{"None", 100}, {"None", 100}, {"None", 100}}), rowsOf(ascending));
    for (const HighscoreEntry& e : ascending.entries)
        EXPECT_TRUE(e.lowerIsBetter);
}

TEST_F(HighscoreFiles, RandomTablesReadBackEqualAndByteExact)
{
    std::mt19937 rng(20240501);
    const int special[] = {INT_MIN, INT_MAX, -1, 0, 1, INT_MIN + 1, INT_MAX - 1, -1000000000};
    for (int trial = 0; trial < 120; ++trial) {
        int size = 1 + static_cast<int>(rng() % 8);
        bool lower = rng() % 2;
        Rows rows;
        for (int i = 0; i < size; ++i) {
            std::string name(1 + rng() % 9, ' ');
            for (char& c : name)
                c = static_cast<char>(33 + rng() % 94);
            int score;
            switch (rng() % 3) {
            case 0: score = special[rng() % 8]; break;
            case 1: score = static_cast<int>(rng()); break; // any 32-bit value
            default: score = static_cast<int>(rng() % 2001) - 1000; break;
            }
            rows.emplace_back(name, score);
        }
        HighscoreManager written(size, lower);
        setRows(written, rows);
        ASSERT_TRUE(written.PrintToFile("highscores.tav"));
        ASSERT_EQ(encoded(rows), readBytes("highscores.tav")) << "trial " << trial;

        HighscoreManager read(size, lower);
        ASSERT_TRUE(read.ReadFromFile("highscores.tav"));
        ASSERT_EQ(rows, rowsOf(read)) << "trial " << trial;
    }
    expectOnly({"highscores.tav"});
}

TEST_F(HighscoreFiles, RankingAndTiesAsInTheExample)
{
    HighscoreManager table(5, false);
    setRows(table, {{"a", 500}, {"b", 400}, {"old", 300}, {"d", 200}, {"e", 100}});
    EXPECT_FALSE(table.IsOnList(100));
    EXPECT_TRUE(table.IsOnList(101));
    table.AddEntry("new", 300);
    EXPECT_EQ((Rows{{"a", 500}, {"b", 400}, {"old", 300}, {"new", 300}, {"d", 200}}), rowsOf(table));
    table.AddEntry("low", 100);
    EXPECT_EQ((Rows{{"a", 500}, {"b", 400}, {"old", 300}, {"new", 300}, {"d", 200}}), rowsOf(table));
    EXPECT_EQ(200, table.GetEntry(table.Size() - 1).score);
    EXPECT_EQ("a", table.GetEntry(0).name);

    HighscoreManager fresh(5, false);
    EXPECT_FALSE(fresh.IsOnList(0));
    EXPECT_TRUE(fresh.IsOnList(1));
    EXPECT_FALSE(fresh.IsOnList(-5));

    HighscoreManager ascending(5, true);
    EXPECT_FALSE(ascending.IsOnList(100));
    EXPECT_TRUE(ascending.IsOnList(99));
    ascending.AddEntry("x", 50);
    ascending.AddEntry("y", 20);
    ascending.AddEntry("z", 50);
    ascending.AddEntry("w", 100); // not strictly ahead of the last 100
    EXPECT_EQ((Rows{{"y", 20}, {"x", 50}, {"z", 50}, {"None", 100}, {"None", 100}}), rowsOf(ascending));
    for (const HighscoreEntry& e : ascending.entries)
        EXPECT_TRUE(e.lowerIsBetter);
}

// A table kept by hand: drop the last row, then insert the new one ahead of
// the first row it ranks strictly ahead of.
TEST_F(HighscoreFiles, AddEntryMatchesAReferenceInBothDirections)
{
    std::mt19937 rng(7);
    for (bool lower : {false, true}) {
        for (int trial = 0; trial < 100; ++trial) {
            int size = 1 + static_cast<int>(rng() % 6);
            HighscoreManager table(size, lower);
            Rows model(static_cast<std::size_t>(size), {"None", lower ? 100 : 0});
            for (int step = 0; step < 40; ++step) {
                int score = static_cast<int>(rng() % 21) * 10 - 50; // many ties
                std::string name = "p" + std::to_string(step);
                auto ahead = [&](int a, int b) { return lower ? a < b : a > b; };
                bool qualifies = ahead(score, model.back().second);
                ASSERT_EQ(qualifies, table.IsOnList(score));
                table.AddEntry(name, score);
                if (qualifies) {
                    model.pop_back();
                    auto at = std::find_if(model.begin(), model.end(),
                                           [&](const auto& r) { return ahead(score, r.second); });
                    model.insert(at, {name, score});
                }
                ASSERT_EQ(model, rowsOf(table)) << "lower " << lower << " trial " << trial;
                ASSERT_EQ(size, table.Size());
            }
        }
    }
}

TEST_F(HighscoreFiles, FileOrderIsKeptAndTheLastRowIsReplaced)
{
    writeBytes("highscores.tav", complement("c 10\r\na 300\r\nd 5\r\nb 200\r\ne 50\r\n"));
    HighscoreManager table(5, false);
    ASSERT_TRUE(table.ReadFromFile("highscores.tav"));
    EXPECT_EQ((Rows{{"c", 10}, {"a", 300}, {"d", 5}, {"b", 200}, {"e", 50}}), rowsOf(table));
    EXPECT_FALSE(table.IsOnList(50));
    table.AddEntry("f", 60);
    EXPECT_EQ((Rows{{"a", 300}, {"b", 200}, {"f", 60}, {"c", 10}, {"d", 5}}), rowsOf(table));
}

TEST_F(HighscoreFiles, ShortLongGarbageAndMissingFiles)
{
    const Rows before = {{"v", 50}, {"w", 40}, {"x", 30}, {"y", 20}, {"z", 10}};
    struct Case {
        const char* what;
        std::string text; // the plain text, stored complemented
        Rows expected;
    };
    const Case cases[] = {
        {"empty", "", before},
        {"three lines", "A 7\r\nB 8\r\nC 9\r\n", {{"A", 7}, {"B", 8}, {"C", 9}, {"y", 20}, {"z", 10}}},
        {"seven lines", "A 1\r\nB 2\r\nC 3\r\nD 4\r\nE 5\r\nF 6\r\nG 7\r\n",
         {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}}},
        {"LF alone", "A 1\nB -2\nC 3\nD 4\nE 5\n", {{"A", 1}, {"B", -2}, {"C", 3}, {"D", 4}, {"E", 5}}},
        {"no final line end", "A 1\r\nB 2", {{"A", 1}, {"B", 2}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"name without score", "A 1\r\nB", {{"A", 1}, {"B", 40}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"score not a number", "A 1\r\nB lots\r\nC 3\r\n",
         {{"A", 1}, {"B", 40}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"score above int", "A 1\r\nB 2147483648\r\nC 3\r\n",
         {{"A", 1}, {"B", 40}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"score below int", "A 1\r\nB -99999999999\r\nC 3\r\n",
         {{"A", 1}, {"B", 40}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"int limits", "A 2147483647\r\nB -2147483648\r\n",
         {{"A", INT_MAX}, {"B", INT_MIN}, {"x", 30}, {"y", 20}, {"z", 10}}},
        {"any whitespace separates", "  A\t1 B\r\r\n2\n\nC 3 D 4 E 5",
         {{"A", 1}, {"B", 2}, {"C", 3}, {"D", 4}, {"E", 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        writeBytes("highscores.tav", complement(c.text));
        HighscoreManager table(5, false);
        setRows(table, before);
        EXPECT_TRUE(table.ReadFromFile("highscores.tav"));
        EXPECT_EQ(c.expected, rowsOf(table));
        EXPECT_EQ(5, table.Size());
        expectOnly({"highscores.tav"});
    }

    fs::remove("highscores.tav");
    HighscoreManager table(5, false);
    EXPECT_TRUE(table.ReadFromFile("highscores.tav"));
    EXPECT_EQ(fiveNone, rowsOf(table));
    expectOnly({});
}

TEST_F(HighscoreFiles, WhatAddEntryStoresReadsBackRowForRow)
{
    std::mt19937 rng(99);
    const std::string awkward = std::string(" \t\r\n\v\f\x01\x1f\x7f\x80\x85\xa0\xff", 13) + '\0';
    auto randomName = [&]() {
        std::string s(rng() % 13, ' ');
        for (char& c : s)
            c = static_cast<char>(rng() % 2 ? awkward[rng() % awkward.size()] : rng() % 256);
        return s;
    };
    // What the player can type: 1 to 9 printable characters, kept as they are.
    auto typedName = [&]() {
        std::string s(1 + rng() % 9, ' ');
        for (char& c : s)
            c = static_cast<char>(33 + rng() % 94);
        return s;
    };
    for (int trial = 0; trial < 200; ++trial) {
        HighscoreManager table(5, false);
        for (int i = 0; i < 5; ++i) {
            bool typed = trial % 2 == 0;
            std::string name = typed ? typedName() : randomName();
            table.AddEntry(name, 100 - i);
            if (typed) {
                ASSERT_EQ(name, table.GetEntry(i).name);
            }
        }
        for (const HighscoreEntry& e : table.entries) {
            EXPECT_FALSE(e.name.empty());
            for (char c : e.name) {
                auto u = static_cast<unsigned char>(c);
                ASSERT_TRUE(u > 32 && u != 127) << "trial " << trial;
            }
        }
        ASSERT_TRUE(table.PrintToFile("highscores.tav"));
        HighscoreManager read(5, false);
        ASSERT_TRUE(read.ReadFromFile("highscores.tav"));
        ASSERT_EQ(rowsOf(table), rowsOf(read)) << "trial " << trial;
    }

    // The rule itself: blanks and controls become '_', nothing else changes.
    HighscoreManager table(3, false);
    table.AddEntry("", 3);
    table.AddEntry(std::string("a b\t\0\xe9\x7f", 7), 2);
    table.AddEntry("Zed!~9{}", 1);
    EXPECT_EQ((Rows{{"Anonymous", 3}, {"a_b__\xe9_", 2}, {"Zed!~9{}", 1}}), rowsOf(table));
    expectOnly({"highscores.tav"});
}

TEST_F(HighscoreFiles, UnwritableDirectoryAnswersFalseAndKeepsTheOldFile)
{
    fs::create_directory("store");
    HighscoreManager old(5, false);
    old.AddEntry("Kept", 77);
    ASSERT_TRUE(old.PrintToFile("store/highscores.tav"));
    const std::string oldBytes = readBytes("store/highscores.tav");

    // The working directory stays writable (for Tempout.txt); only the
    // directory of the table is closed, to root as well through the child.
    fs::permissions(".", fs::perms::all);
    fs::permissions("store", fs::perms::owner_read | fs::perms::owner_exec | fs::perms::group_read |
                                 fs::perms::group_exec | fs::perms::others_read | fs::perms::others_exec);
    int result = inChild([] {
        if (!becomeNobody())
            return setupFailed;
        HighscoreManager table(5, false);
        table.AddEntry("Lost", 999);
        return table.PrintToFile("store/highscores.tav") ? savedTrue : savedFalse;
    });
    EXPECT_EQ(savedFalse, result);
    EXPECT_EQ(oldBytes, readBytes("store/highscores.tav"));
    expectOnly({"highscores.tav"}, "store");
    expectOnly({"store"});
}

TEST_F(HighscoreFiles, FullDiskAnswersFalseAndKeepsTheOldFile)
{
    HighscoreManager old(5, false);
    ASSERT_TRUE(old.PrintToFile("highscores.tav"));
    const std::string oldBytes = readBytes("highscores.tav");

    int result = inChild([] {
        signal(SIGXFSZ, SIG_IGN); // writes past the limit fail with EFBIG
        rlimit limit{16, 16};
        if (setrlimit(RLIMIT_FSIZE, &limit) != 0)
            return setupFailed;
        HighscoreManager table(5, false);
        table.AddEntry("Lost", 999);
        return table.PrintToFile("highscores.tav") ? savedTrue : savedFalse;
    });
    EXPECT_EQ(savedFalse, result);
    EXPECT_EQ(oldBytes, readBytes("highscores.tav"));
    expectOnly({"highscores.tav"});
}

TEST_F(HighscoreFiles, FailuresOfTheTemporaryFilesAnswerFalse)
{
    HighscoreManager table(5, false);
    table.AddEntry("Me", 5);

    // Tempout.txt cannot be created: the target is not touched.
    writeBytes("highscores.tav", "old");
    fs::create_directory("Tempout.txt");
    EXPECT_FALSE(table.PrintToFile("highscores.tav"));
    EXPECT_EQ("old", readBytes("highscores.tav"));
    expectOnly({"Tempout.txt", "highscores.tav"});
    fs::remove("Tempout.txt");

    // The rename cannot replace a directory: no sibling is left behind.
    fs::create_directory("table");
    EXPECT_FALSE(table.PrintToFile("table"));
    EXPECT_TRUE(fs::is_directory("table"));
    expectOnly({"highscores.tav", "table"});

    // Tempin.txt cannot be created: the rows stay, nothing is deleted.
    writeBytes("highscores.tav", encoded({{"New", 1}}));
    fs::create_directory("Tempin.txt");
    EXPECT_FALSE(table.ReadFromFile("highscores.tav"));
    EXPECT_EQ("Me", table.GetEntry(0).name);
    expectOnly({"Tempin.txt", "highscores.tav", "table"});
}

// Waits for check() with a generous time-out.
bool waitFor(const std::function<bool()>& check)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!check()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Tempout.txt is made a named pipe, so the save in the child blocks on it at
// a point this test controls: after the table's plain text has been written,
// while its complement is being copied out, and before any rename could
// happen. The child is killed there.
TEST_F(HighscoreFiles, SaveKilledBeforeTheRenameLeavesTheOldFileWhole)
{
    HighscoreManager old(5, false);
    old.AddEntry("Kept", 77);
    old.AddEntry("Also", 66);
    ASSERT_TRUE(old.PrintToFile("highscores.tav"));
    const std::string oldBytes = readBytes("highscores.tav");

    const Rows newRows = {{"New", 999}, {"Kept", 77}, {"Also", 66}, {"None", 0}, {"None", 0}};
    HighscoreManager fresh(5, false);
    setRows(fresh, newRows);

    ASSERT_EQ(0, mkfifo("Tempout.txt", 0600));
    pid_t pid = fork();
    if (pid == 0) {
        fresh.PrintToFile("highscores.tav");
        _exit(0);
    }

    // Take the plain text the child writes.
    int rfd = open("Tempout.txt", O_RDONLY | O_NONBLOCK);
    ASSERT_GE(rfd, 0);
    std::string text;
    bool ended = false;
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
    while (!ended && std::chrono::steady_clock::now() < until) {
        pollfd p{rfd, POLLIN, 0};
        poll(&p, 1, 100);
        char buf[256];
        ssize_t n = read(rfd, buf, sizeof buf);
        if (n > 0)
            text.append(buf, static_cast<std::size_t>(n));
        else if (n == 0 && (p.revents & POLLHUP))
            ended = true;
    }
    close(rfd);
    ASSERT_TRUE(ended);
    EXPECT_EQ(complement(encoded(newRows)), text);

    // Feed back half of it when the child opens the pipe to read, and wait
    // until the child has taken that half; the end of data never comes.
    int wfd = -1;
    ASSERT_TRUE(waitFor([&] { return (wfd = open("Tempout.txt", O_WRONLY | O_NONBLOCK)) >= 0; }));
    std::string half = text.substr(0, text.size() / 2);
    ASSERT_EQ(static_cast<ssize_t>(half.size()), write(wfd, half.data(), half.size()));
    ASSERT_TRUE(waitFor([&] {
        int queued = -1;
        return ioctl(wfd, FIONREAD, &queued) == 0 && queued == 0;
    }));

    kill(pid, SIGKILL);
    int status = 0;
    waitpid(pid, &status, 0);
    close(wfd);
    ASSERT_TRUE(WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL);
    EXPECT_EQ(oldBytes, readBytes("highscores.tav"));

    // The next save goes through and clears what the killed one left.
    fs::remove("Tempout.txt");
    ASSERT_TRUE(fresh.PrintToFile("highscores.tav"));
    EXPECT_EQ(encoded(newRows), readBytes("highscores.tav"));
    expectOnly({"highscores.tav"});
}

TEST_F(HighscoreFiles, SavingKeepsTheFileModeAndDirectoryElsewhere)
{
    fs::create_directories("a/b");
    HighscoreManager table(2, true);
    ASSERT_TRUE(table.PrintToFile("a/b/scores"));
    chmod("a/b/scores", 0640);
    table.AddEntry("Quick", 12);
    ASSERT_TRUE(table.PrintToFile("a/b/scores"));
    struct stat st;
    ASSERT_EQ(0, stat("a/b/scores", &st));
    EXPECT_EQ(0640u, st.st_mode & 07777);
    EXPECT_EQ(encoded({{"Quick", 12}, {"None", 100}}), readBytes("a/b/scores"));
    expectOnly({"scores"}, "a/b");
    expectOnly({"a"});
}

} // namespace
