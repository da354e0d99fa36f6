#include "highscores/highscore_manager.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <locale>

namespace {

const char* const tempOutName = "Tempout.txt";

// Far more than a table of a few rows takes: a longer file is no table, and
// what lies past this is never read.
constexpr std::size_t readLimit = 4096;

int tameScore(long long score) { return static_cast<int>(std::clamp<long long>(score, tableScoreLowest, tableScoreHighest)); }

// What lies under a table's name: its first bytes, or why there are none.
struct StoredFile {
    enum { Missing, Unreadable, Read } state;
    std::string bytes; // at most readLimit + 1: one more tells a longer file
    std::string reason;
};

StoredFile look(const std::string& fileName)
{
    // Non-blocking: a pipe put in the table's place must not hold the game.
    const int fd = ::open(fileName.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0)
        return {errno == ENOENT ? StoredFile::Missing : StoredFile::Unreadable, "", strerror(errno)};
    StoredFile file{StoredFile::Read, "", ""};
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode))
        file = {StoredFile::Unreadable, "", "not a plain file"};
    char buffer[readLimit + 1];
    while (file.state == StoredFile::Read && file.bytes.size() <= readLimit) {
        const ssize_t n = ::read(fd, buffer, readLimit + 1 - file.bytes.size());
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            file = {StoredFile::Unreadable, "", strerror(errno)};
        if (n <= 0)
            break;
        file.bytes.append(buffer, static_cast<std::size_t>(n));
    }
    ::close(fd);
    return file;
}

// The rows of a stored file, in file order, as far as each reads whole: a
// name, then a whole number, separated by whitespace. `complete` when a save
// of these rows loses nothing the file held: it was read to its end, every
// word belongs to a row, no row lies past the table and none was tamed.
struct StoredRows {
    std::vector<std::pair<std::string, int>> rows;
    bool complete = true;
};

bool isSeparator(char c) { return std::isspace(static_cast<unsigned char>(c)) != 0; }

StoredRows readRows(const std::string& stored, std::size_t tableSize)
{
    std::string text(stored.size(), '\0');
    std::transform(stored.begin(), stored.end(), text.begin(), [](char c) { return static_cast<char>(~c); });
    StoredRows out;
    out.complete = stored.size() <= readLimit;
    std::size_t at = 0;
    auto word = [&](std::string& w) {
        while (at < text.size() && isSeparator(text[at]))
            ++at;
        const std::size_t start = at;
        while (at < text.size() && !isSeparator(text[at]))
            ++at;
        w = text.substr(start, at - start);
        return !w.empty();
    };
    std::string name, number;
    while (word(name)) {
        // A whole number with its sign, held at a bound far past the range.
        const bool haveNumber = word(number);
        const std::size_t digits = number[0] == '-' || number[0] == '+' ? 1 : 0;
        if (!haveNumber || number.size() == digits || number.find_first_not_of("0123456789", digits) != std::string::npos
            || out.rows.size() == tableSize) {
            out.complete = false;
            break;
        }
        long long value = 0;
        for (std::size_t i = digits; i < number.size(); ++i)
            value = std::min(value * 10 + (number[i] - '0'), 1LL << 40);
        const int score = tameScore(number[0] == '-' ? -value : value);
        out.rows.emplace_back(tameName(name), score);
        if (out.rows.back().first != name || std::to_string(score) != number)
            out.complete = false;
    }
    return out;
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

// Gives the file at fileName a second name beside it, the first free
// fileName.kept-N, and answers that name; empty (errno set) when none could
// be made. A plain file keeps its own name too until the new table takes
// it; what cannot be linked (a directory, say) is moved.
std::string keepAside(const std::string& fileName)
{
    for (int n = 1; n < 1000; ++n) {
        const std::string kept = fileName + ".kept-" + std::to_string(n);
        if (::link(fileName.c_str(), kept.c_str()) == 0)
            return kept;
        if (errno == EEXIST)
            continue;
        if (::renameat2(AT_FDCWD, fileName.c_str(), AT_FDCWD, kept.c_str(), RENAME_NOREPLACE) == 0)
            return kept;
        if (errno != EEXIST)
            return "";
    }
    errno = EEXIST;
    return "";
}

// Replaces fileName with the complement of every byte of the plain text in
// Tempout.txt, through a sibling file renamed over it, so that the target
// holds either its old bytes or all of the new ones at every instant. With
// `keep`, the old file is first given another name (kept says which).
// Answers why it failed, with the target untouched and the sibling gone,
// or an empty string.
std::string replaceWithComplement(const std::string& fileName, bool keep, std::string& kept)
{
    // A table that cannot be opened for writing (made read-only) keeps what
    // it holds, as a direct write would leave it: the rename below would
    // replace it regardless.
    int probe = keep ? -1 : ::open(fileName.c_str(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
    if (probe >= 0)
        ::close(probe);
    else if (!keep && errno != ENOENT)
        return strerror(errno);

    const std::string sibling = fileName + ".tmp";
    // A leftover from a killed save is ours to replace; removing it first
    // lets O_EXCL make a fresh file instead of writing through whatever
    // stands under that name.
    ::unlink(sibling.c_str());
    int fd = ::open(sibling.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0)
        return sibling + ": " + strerror(errno);

    // The table keeps its permissions; not those of a file kept aside, which
    // may be why it could not be read.
    struct stat old;
    if (!keep && ::stat(fileName.c_str(), &old) == 0 && S_ISREG(old.st_mode))
        ::fchmod(fd, old.st_mode & 07777);

    std::string error;
    std::ifstream plain(tempOutName, std::ios::in | std::ios::binary);
    if (!plain.is_open())
        error = std::string(tempOutName) + " cannot be read back";
    std::string chunk;
    char c;
    while (error.empty() && plain.get(c)) {
        chunk.push_back(static_cast<char>(~static_cast<unsigned char>(c)));
        if (chunk.size() == 4096 && !writeAll(fd, chunk))
            error = strerror(errno);
        if (chunk.size() == 4096)
            chunk.clear();
    }
    if (error.empty() && plain.bad())
        error = std::string(tempOutName) + " cannot be read back";
    if (error.empty() && (!writeAll(fd, chunk) || ::fsync(fd) != 0))
        error = strerror(errno);
    if (::close(fd) != 0 && error.empty())
        error = strerror(errno);
    if (error.empty() && keep && (kept = keepAside(fileName)).empty())
        error = std::string("the file there cannot be kept under another name (") + strerror(errno) + ")";
    if (error.empty() && std::rename(sibling.c_str(), fileName.c_str()) != 0)
        error = strerror(errno);
    if (!error.empty()) {
        ::unlink(sibling.c_str());
        return error;
    }
    syncDirectory(directoryOf(fileName));
    return error;
}

} // namespace

std::string tameName(const std::string& name)
{
    std::string tame = name.substr(0, tableNameLength);
    for (char& c : tame) {
        if (c < 33 || c > 126)
            c = '_';
    }
    return tame;
}

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
    score = tameScore(score);
    int last = entries.back().score;
    return lowerIsBetter ? score < last : score > last;
}

void HighscoreManager::AddEntry(std::string name, int score)
{
    if (!IsOnList(score))
        return;
    entries.pop_back();
    entries.push_back(HighscoreEntry{name.empty() ? "Anonymous" : tameName(name), tameScore(score), lowerIsBetter});
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
    notes.clear();
    // A table kept elsewhere through a link stays there: the rename below
    // would put a plain file in the link's place.
    struct stat link;
    char target[PATH_MAX];
    if (::lstat(fileName.c_str(), &link) == 0 && S_ISLNK(link.st_mode) && ::realpath(fileName.c_str(), target))
        fileName = target;
    std::ofstream text(tempOutName, std::ios::out | std::ios::trunc);
    const bool made = text.is_open(); // what stands there otherwise is not ours to remove
    if (made) {
        text.imbue(std::locale::classic()); // no digit grouping in the scores
        for (const HighscoreEntry& e : entries)
            text << e.name << ' ' << e.score << "\r\n";
        text.close();
    }
    std::string error = text.fail() ? std::string(tempOutName) + " cannot be written" : "";
    // What stands under the name now and is no table this class wrote would
    // be lost: it is kept under another name first.
    const StoredFile old = look(fileName);
    const bool keep = old.state == StoredFile::Unreadable
                      || (old.state == StoredFile::Read && !readRows(old.bytes, tableSize).complete);
    std::string kept;
    if (error.empty())
        error = replaceWithComplement(fileName, keep, kept);
    if (made)
        std::remove(tempOutName);
    if (!kept.empty())
        notes.push_back(fileName + (old.state == StoredFile::Read ? " was no table as the game writes it" : " could not be read")
                        + ": kept as " + kept + ".");
    if (!error.empty())
        notes.push_back("The table could not be saved to " + fileName + ": " + error + ".");
    return error.empty();
}

bool HighscoreManager::ReadFromFile(std::string fileName)
{
    notes.clear();
    const StoredFile stored = look(fileName);
    if (stored.state == StoredFile::Missing)
        return true;
    if (stored.state == StoredFile::Unreadable) {
        notes.push_back(fileName + " cannot be read: " + stored.reason + ".");
        return false;
    }
    const StoredRows read = readRows(stored.bytes, static_cast<std::size_t>(tableSize));
    auto row = entries.begin();
    for (const auto& [name, score] : read.rows) {
        row->name = name;
        row->score = score;
        ++row;
    }
    entries.sort();
    if (!read.complete)
        notes.push_back(fileName + " is no table as the game writes it: " + std::to_string(read.rows.size())
                        + (read.rows.size() == 1 ? " row" : " rows") + " taken from it.");
    return read.complete;
}
