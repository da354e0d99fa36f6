#include "highscores/highscore_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <locale>

namespace {

const char* const tempOutName = "Tempout.txt";
const char* const tempInName = "Tempin.txt";

// A byte that formatted extraction would split a name at, or that no player
// types: every whitespace and control character.
bool unsafeNameByte(unsigned char c) { return c <= 32 || c == 127; }

// Called by AddEntry: the name as it will read back from the file.
std::string storableName(const std::string& name)
{
    if (name.empty())
        return "Anonymous";
    std::string safe = name;
    for (char& c : safe) {
        if (unsafeNameByte(static_cast<unsigned char>(c)))
            c = '_';
    }
    return safe;
}

// Writes all of data to fd; false on any error but an interrupted call.
bool writeAll(int fd, const std::string& data)
{
    const char* p = data.data();
    std::size_t left = data.size();
    while (left > 0) {
        ssize_t n = ::write(fd, p, left);
        if (n < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        p += n;
        left -= static_cast<std::size_t>(n);
    }
    return true;
}

std::string directoryOf(const std::string& path)
{
    std::string::size_type slash = path.rfind('/');
    if (slash == std::string::npos)
        return ".";
    if (slash == 0)
        return "/";
    return path.substr(0, slash);
}

// Makes a finished rename survive a power cut. Best effort: the new table is
// already in place, so a failure here changes nothing the caller can mend.
void syncDirectory(const std::string& dir)
{
    int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0)
        return;
    ::fsync(fd);
    ::close(fd);
}

// Replaces fileName with the complement of every byte of the plain text in
// Tempout.txt, through a sibling file renamed over it, so that the target
// holds either its old bytes or all of the new ones at every instant.
// Returns false, with the target untouched and the sibling gone, on any
// failure.
bool replaceWithComplement(const std::string& fileName)
{
    const std::string sibling = fileName + ".tmp";
    // A leftover from a killed save is ours to replace; removing it first
    // lets O_EXCL make a fresh file instead of writing through whatever
    // stands under that name.
    ::unlink(sibling.c_str());
    int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return false;

    struct stat old;
    if (::stat(fileName.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    bool ok = true;
    std::ifstream plain(tempOutName, std::ios::in | std::ios::binary);
    if (!plain.is_open())
        ok = false;
    std::string chunk;
    char c;
    while (ok && plain.get(c)) {
        chunk.push_back(static_cast<char>(~static_cast<unsigned char>(c)));
        if (chunk.size() == 4096) {
            ok = writeAll(fd, chunk);
            chunk.clear();
        }
    }
    if (ok && plain.bad())
        ok = false;
    if (ok)
        ok = writeAll(fd, chunk);
    if (ok)
        ok = ::fsync(fd) == 0;
    if (::close(fd) != 0)
        ok = false;
    if (ok)
        ok = std::rename(sibling.c_str(), fileName.c_str()) == 0;
    if (!ok) {
        ::unlink(sibling.c_str());
        return false;
    }
    syncDirectory(directoryOf(fileName));
    return true;
}

} // namespace

bool operator<(const HighscoreEntry& a, const HighscoreEntry& b)
{
    return a.lowerIsBetter ? a.score < b.score : a.score > b.score;
}

HighscoreManager::HighscoreManager(int tableSize, bool lowerIsBetter)
    : tableSize(tableSize), lowerIsBetter(lowerIsBetter)
{
    for (int i = 0; i < tableSize; ++i)
        entries.push_back(HighscoreEntry{"None", lowerIsBetter ? 100 : 0, lowerIsBetter});
}

bool HighscoreManager::IsOnList(int score)
{
    if (entries.empty())
        return false;
    int last = entries.back().score;
    return lowerIsBetter ? score < last : score > last;
}

void HighscoreManager::AddEntry(std::string name, int score)
{
    if (!IsOnList(score))
        return;
    entries.pop_back();
    entries.push_back(HighscoreEntry{storableName(name), score, lowerIsBetter});
    entries.sort(); // stable: the new row goes after rows of equal score
}

int HighscoreManager::Size()
{
    int n = 0;
    for (auto it = entries.begin(); it != entries.end(); ++it)
        ++n;
    return n;
}

HighscoreEntry HighscoreManager::GetEntry(int index)
{
    auto it = entries.begin();
    // Never steps past the last row, whatever index the caller hands over.
    while (index > 0 && std::next(it) != entries.end()) {
        ++it;
        --index;
    }
    return *it;
}

bool HighscoreManager::PrintToFile(std::string fileName)
{
    std::ofstream text(tempOutName, std::ios::out | std::ios::trunc);
    if (!text.is_open())
        return false;
    text.imbue(std::locale::classic()); // no digit grouping in the scores
    for (const HighscoreEntry& e : entries)
        text << e.name << ' ' << e.score << "\r\n";
    text.close();
    bool ok = !text.fail() && replaceWithComplement(fileName);
    std::remove(tempOutName);
    return ok;
}

bool HighscoreManager::ReadFromFile(std::string fileName)
{
    std::ifstream stored(fileName, std::ios::in | std::ios::binary);
    std::ofstream plain(tempInName, std::ios::out | std::ios::binary | std::ios::trunc);
    if (!plain.is_open())
        return false; // nothing of ours to delete
    char c;
    while (stored.get(c))
        plain.put(static_cast<char>(~static_cast<unsigned char>(c)));
    stored.close();
    plain.close();
    if (plain.fail()) {
        // A half-decoded copy would pass for a short table: keep the rows.
        std::remove(tempInName);
        return false;
    }

    std::ifstream text(tempInName);
    if (!text.is_open())
        return false;
    text.imbue(std::locale::classic());
    // Extraction stops for good at the first failure; a failed field keeps
    // its value, so each is read into a scratch variable first.
    for (HighscoreEntry& e : entries) {
        std::string name;
        if (!(text >> name))
            break;
        e.name = name;
        int score;
        if (!(text >> score))
            break;
        e.score = score;
    }
    text.close();
    std::remove(tempInName);
    return true;
}
