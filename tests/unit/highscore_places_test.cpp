// The high-score table where the game cannot write: a read-only or removed
// working directory, a read-only "highscores.tav", a directory in the file's
// place. The game must go on with a usable table and never lose the file it
// found. Each case runs in a forked child that gives up root's right to
// ignore file permissions (the tests run as root in CI), so that the
// permissions bind; the child reports every broken expectation on a pipe.
#include "highscores/highscore_manager.h"

#include <gtest/gtest.h>

#include <dirent.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <iterator>
#include <set>
#include <string>

namespace {

const char* const tableFile = "highscores.tav";

std::string fileBytes(const std::string& name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::set<std::string> namesIn(const std::string& dir)
{
    std::set<std::string> names;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* e = readdir(d))
            if (strcmp(e->d_name, ".") != 0 && strcmp(e->d_name, "..") != 0)
                names.insert(e->d_name);
        closedir(d);
    }
    return names;
}

// Drops the capabilities that let root read, write and search past file
// permissions, in this process only.
bool dropFileCapabilities()
{
    __user_cap_header_struct header = {_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct data[2] = {};
    if (syscall(SYS_capget, &header, data) != 0)
        return false;
    for (int cap : {CAP_DAC_OVERRIDE, CAP_DAC_READ_SEARCH, CAP_FOWNER}) {
        data[cap / 32].effective &= ~(1u << (cap % 32));
        data[cap / 32].permitted &= ~(1u << (cap % 32));
    }
    return syscall(SYS_capset, &header, data) == 0;
}

// A scratch directory holding a table saved by the game's own code.
class TablePlaces : public ::testing::Test {
protected:
    std::string dir;
    std::string original;

    void SetUp() override
    {
        char pattern[] = "/tmp/tarnavel-places-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        dir = pattern;
        char cwd[PATH_MAX];
        ASSERT_NE(nullptr, getcwd(cwd, sizeof cwd));
        original = cwd;
    }

    void TearDown() override
    {
        if (chdir(original.c_str()) != 0)
            ADD_FAILURE() << "cannot return to " << original;
        chmod(dir.c_str(), 0700);
        std::string cmd = "rm -rf '" + dir + "'";
        if (system(cmd.c_str()) != 0)
            ADD_FAILURE() << "cannot remove " << dir;
    }

    // Saves a known table into dir and returns its bytes.
    std::string saveKnownTable()
    {
        HighscoreManager table(5, false);
        table.AddEntry("Ada", 900);
        table.AddEntry("Brin", 450);
        EXPECT_EQ(0, chdir(dir.c_str()));
        EXPECT_TRUE(table.PrintToFile(tableFile));
        EXPECT_EQ(0, chdir(original.c_str()));
        return fileBytes(dir + "/" + tableFile);
    }

    // Runs body in a child without root's file rights, inside dir. The body
    // appends a line to its report for each broken expectation.
    void inChild(const std::function<void(std::string& report)>& body)
    {
        int ends[2];
        ASSERT_EQ(0, pipe(ends));
        pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            close(ends[0]);
            std::string report;
            if (!dropFileCapabilities())
                report += "cannot drop root's file rights\n";
            else if (chdir(dir.c_str()) != 0)
                report += "cannot enter the scratch directory\n";
            else
                body(report);
            if (!report.empty() && write(ends[1], report.data(), report.size()) < 0)
                _exit(3);
            _exit(report.empty() ? 0 : 1);
        }
        close(ends[1]);
        std::string report;
        char buf[512];
        ssize_t n;
        while ((n = read(ends[0], buf, sizeof buf)) > 0)
            report.append(buf, static_cast<size_t>(n));
        close(ends[0]);
        int status = 0;
        waitpid(child, &status, 0);
        ASSERT_TRUE(WIFEXITED(status)) << "the child crashed: signal " << WTERMSIG(status);
        EXPECT_EQ("", report);
        EXPECT_EQ(0, WEXITSTATUS(status));
    }
};

// The default rows, as the game shows them when it could read nothing.
void expectDefaults(HighscoreManager& table, std::string& report)
{
    if (table.Size() != 5)
        report += "the table lost its size\n";
    for (int i = 0; i < table.Size(); ++i)
        if (table.GetEntry(i).name != "None" || table.GetEntry(i).score != 0)
            report += "row " + std::to_string(i) + " is not a default row\n";
}

void expectKnownRows(HighscoreManager& table, std::string& report)
{
    if (table.GetEntry(0).name != "Ada" || table.GetEntry(0).score != 900 ||
        table.GetEntry(1).name != "Brin" || table.GetEntry(1).score != 450)
        report += "the rows read are not the table saved\n";
}

TEST_F(TablePlaces, ReadOnlyWorkingDirectoryKeepsTheFileAndPlaysOnDefaults)
{
    const std::string saved = saveKnownTable();
    ASSERT_EQ(0, chmod(dir.c_str(), 0555));
    inChild([&](std::string& report) {
        HighscoreManager table(5, false);
        // The read decodes through a temporary file beside the table, which
        // cannot be made here: it answers false and the defaults stay.
        if (table.ReadFromFile(tableFile))
            report += "the read claims success without its temporary file\n";
        expectDefaults(table, report);
        table.AddEntry("Cy", 10);
        if (table.PrintToFile(tableFile))
            report += "the save claims success in a read-only directory\n";
        if (fileBytes(tableFile) != saved)
            report += "the stored table changed\n";
        if (namesIn(".") != std::set<std::string>{tableFile})
            report += "files appeared in a read-only directory\n";
    });
}

TEST_F(TablePlaces, RemovedWorkingDirectoryFailsQuietly)
{
    inChild([&](std::string& report) {
        if (rmdir(dir.c_str()) != 0) {
            report += "cannot remove the working directory\n";
            return;
        }
        HighscoreManager table(5, false);
        table.ReadFromFile(tableFile);
        expectDefaults(table, report);
        table.AddEntry("Cy", 10);
        if (table.PrintToFile(tableFile))
            report += "the save claims success in a removed directory\n";
        if (table.GetEntry(0).name != "Cy")
            report += "the table in memory lost its new row\n";
    });
    mkdir(dir.c_str(), 0700); // for TearDown
}

TEST_F(TablePlaces, ReadOnlyTableFileIsReadAndNeverReplaced)
{
    const std::string saved = saveKnownTable();
    ASSERT_EQ(0, chmod((dir + "/" + tableFile).c_str(), 0444));
    inChild([&](std::string& report) {
        HighscoreManager table(5, false);
        if (!table.ReadFromFile(tableFile))
            report += "a read-only table could not be read\n";
        expectKnownRows(table, report);
        table.AddEntry("Cy", 1000);
        table.PrintToFile(tableFile);
        // A file that cannot be opened for writing receives nothing.
        if (fileBytes(tableFile) != saved)
            report += "the read-only table was replaced\n";
        if (namesIn(".") != std::set<std::string>{tableFile})
            report += "the save left files beside the table\n";
    });
}

TEST_F(TablePlaces, DirectoryInTheFilesPlaceIsLeftAlone)
{
    ASSERT_EQ(0, mkdir((dir + "/" + tableFile).c_str(), 0755));
    inChild([&](std::string& report) {
        HighscoreManager table(5, false);
        table.ReadFromFile(tableFile);
        expectDefaults(table, report);
        table.AddEntry("Cy", 10);
        table.PrintToFile(tableFile);
        struct stat st;
        if (stat(tableFile, &st) != 0 || !S_ISDIR(st.st_mode))
            report += "the directory is gone\n";
        if (!namesIn(tableFile).empty())
            report += "something was written into the directory\n";
        if (namesIn(".") != std::set<std::string>{tableFile})
            report += "the save left files beside it\n";
    });
}

} // namespace
