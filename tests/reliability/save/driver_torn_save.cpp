// Kills a process that saves a changing high-score table, at random instants,
// and checks after every kill that "highscores.tav" holds either the table
// before the save that was cut short or the table that save wrote: byte for
// byte as the file format lays them out, and row for row through the real
// ReadFromFile.
//
//   torn_save KILLS [SEED]
//
// The saver is a forked child: it announces the number k of each save on a
// pipe before it starts it, then writes table k. After the kill the last
// number announced says which two tables are allowed. Prints a summary;
// exit status 0 when every kill left a whole table.
#include "highscores/highscore_manager.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <random>
#include <string>
#include <thread>
#include <vector>

namespace {

const char* const tableFile = "highscores.tav";
const int rows = 5;

// Table k of the changing sequence: names of 1 to 9 letters and scores of
// every length and sign, so that two neighbouring tables differ in their
// bytes and in their sizes.
std::vector<HighscoreEntry> tableNumber(long k)
{
    std::vector<HighscoreEntry> table;
    for (int i = 0; i < rows; ++i) {
        const unsigned long mix = static_cast<unsigned long>(k) * 2654435761u + i * 40503u;
        std::string name(1 + (k + i) % 9, static_cast<char>('A' + (k * 3 + i) % 26));
        name[0] = static_cast<char>('a' + i);
        const int score = static_cast<int>(mix % 2000001) - 1000000;
        table.push_back(HighscoreEntry{name, score, false});
    }
    // Rank order, best first, as AddEntry would keep it.
    for (int i = 0; i < rows; ++i)
        for (int j = i + 1; j < rows; ++j)
            if (table[j].score > table[i].score)
                std::swap(table[i], table[j]);
    return table;
}

// The stored bytes of a table: each row "name score" CR LF, every byte
// complemented. Written here from the format, not through the game's code.
std::string storedBytes(const std::vector<HighscoreEntry>& table)
{
    std::string text;
    for (const HighscoreEntry& e : table)
        text += e.name + ' ' + std::to_string(e.score) + "\r\n";
    for (char& c : text)
        c = static_cast<char>(~static_cast<unsigned char>(c));
    return text;
}

std::string fileBytes(const char* name)
{
    std::ifstream in(name, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool saveTable(long k)
{
    HighscoreManager table(rows, false);
    const std::vector<HighscoreEntry> wanted = tableNumber(k);
    table.entries.assign(wanted.begin(), wanted.end());
    return table.PrintToFile(tableFile);
}

bool readsBackAs(const std::vector<HighscoreEntry>& wanted)
{
    HighscoreManager table(rows, false);
    if (!table.ReadFromFile(tableFile))
        return false;
    int i = 0;
    for (const HighscoreEntry& e : table.entries) {
        if (e.name != wanted[i].name || e.score != wanted[i].score)
            return false;
        ++i;
    }
    return i == rows;
}

[[noreturn]] void saveForever(long first, int announce)
{
    for (long k = first;; ++k) {
        if (write(announce, &k, sizeof k) != sizeof k)
            _exit(3);
        if (!saveTable(k))
            _exit(4);
    }
}

} // namespace

int main(int argc, char** argv)
{
    const int kills = argc > 1 ? atoi(argv[1]) : 1000;
    const unsigned seed = argc > 2 ? static_cast<unsigned>(atol(argv[2])) : std::random_device()();
    std::mt19937 random(seed);

    char dirTemplate[] = "/tmp/torn_save.XXXXXX";
    if (!mkdtemp(dirTemplate) || chdir(dirTemplate) != 0) {
        perror("scratch directory");
        return 2;
    }

    // How long one save takes here, so that the kills spread over whole
    // saves and the gaps between them.
    const auto t0 = std::chrono::steady_clock::now();
    for (int i = 0; i < 20; ++i)
        if (!saveTable(i)) {
            fprintf(stderr, "a save failed in a writable directory\n");
            return 1;
        }
    const long saveMicros = std::max<long>(
        1, std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - t0).count() / 20);
    long current = 19; // the table on disk
    if (fileBytes(tableFile) != storedBytes(tableNumber(current))) {
        fprintf(stderr, "a finished save did not leave the table's bytes\n");
        return 1;
    }

    int oldKept = 0, newWhole = 0, beforeFirst = 0, failures = 0;
    long savesStarted = 0;
    std::uniform_int_distribution<long> delay(0, 4 * saveMicros);
    for (int kill = 0; kill < kills; ++kill) {
        int pipeEnds[2];
        if (pipe(pipeEnds) != 0) {
            perror("pipe");
            return 2;
        }
        const pid_t child = fork();
        if (child < 0) {
            perror("fork");
            return 2;
        }
        if (child == 0) {
            close(pipeEnds[0]);
            saveForever(current + 1, pipeEnds[1]);
        }
        close(pipeEnds[1]);
        std::this_thread::sleep_for(std::chrono::microseconds(delay(random)));
        ::kill(child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        if (!WIFSIGNALED(status) || WTERMSIG(status) != SIGKILL) {
            fprintf(stderr, "kill %d: the saver ended by itself (status %d)\n", kill, status);
            return 1;
        }
        long announced = current, k;
        int started = 0;
        while (read(pipeEnds[0], &k, sizeof k) == sizeof k) {
            announced = k;
            ++started;
        }
        close(pipeEnds[0]);
        savesStarted += started;

        // Allowed: the table before the save in progress, or the one it wrote.
        const std::string bytes = fileBytes(tableFile);
        long found = -1;
        if (started == 0 && bytes == storedBytes(tableNumber(current)))
            found = current;
        else if (started > 0 && bytes == storedBytes(tableNumber(announced)))
            found = announced;
        else if (started > 0 && bytes == storedBytes(tableNumber(announced - 1)))
            found = announced - 1;
        if (found < 0 || !readsBackAs(tableNumber(found))) {
            fprintf(stderr, "kill %d after %d saves started (last %ld): file of %zu bytes is no whole table\n",
                    kill, started, announced, bytes.size());
            ++failures;
            if (!saveTable(current)) // go on from a known table
                return 1;
            continue;
        }
        if (started == 0)
            ++beforeFirst;
        else if (found == announced)
            ++newWhole;
        else
            ++oldKept;
        current = found;
    }

    printf("torn_save: %d kills (seed %u, save %ld us), %ld saves started: "
           "%d cut short and left the old table, %d left the new one, %d came before any save; "
           "%d torn\n",
           kills, seed, saveMicros, savesStarted, oldKept, newWhole, beforeFirst, failures);
    // Leave nothing behind.
    // What the last kill left beside the table (a save's temporary files,
    // which the next save replaces).
    std::string leftovers;
    if (DIR* dir = opendir(".")) {
        while (dirent* entry = readdir(dir)) {
            if (strcmp(entry->d_name, ".") == 0 || strcmp(entry->d_name, "..") == 0)
                continue;
            if (strcmp(entry->d_name, tableFile) != 0)
                leftovers += std::string(" ") + entry->d_name;
            unlink(entry->d_name);
        }
        closedir(dir);
    }
    printf("torn_save: left beside the table by the last kill:%s\n", leftovers.empty() ? " nothing" : leftovers.c_str());
    if (chdir("/") != 0 || rmdir(dirTemplate) != 0)
        fprintf(stderr, "note: scratch directory %s left: %s\n", dirTemplate, strerror(errno));
    return failures ? 1 : 0;
}
