// The ranked table of best results and its complemented file.
#pragma once

#include <list>
#include <string>
#include <vector>

// Longest name a row keeps, what the name entry takes; the rows show in a
// column of the menu that holds no more.
constexpr std::size_t tableNameLength = 9;
// Scores a row keeps: as many characters as fit beside a full name.
constexpr int tableScoreLowest = -999999;
constexpr int tableScoreHighest = 9999999;

class HighscoreEntry {
public:
    std::string name;
    int score;
    bool lowerIsBetter;
};

// True when a ranks ahead of b, by a's direction.
bool operator<(const HighscoreEntry& a, const HighscoreEntry& b);

// The file holds one line per row, "name score" and CR LF, with every byte
// complemented. Writing passes through "Tempout.txt" in the working
// directory, which is deleted afterwards; reading needs no other file.
class HighscoreManager {
public:
    int tableSize;
    bool lowerIsBetter;
    std::list<HighscoreEntry> entries; // best first
    // What the last ReadFromFile or PrintToFile has to report about the file
    // (a table that was no table, kept, or not saved): one line each, for the
    // caller's log. Empty when all went as it should.
    std::vector<std::string> notes;

    // tableSize rows of "None", scoring 100 when lower is better, else 0.
    HighscoreManager(int tableSize, bool lowerIsBetter);

    // True when score ranks strictly ahead of the last row.
    bool IsOnList(int score);
    // Replaces the last row when score is on the list; the new row goes
    // after rows of equal score. The row is stored as it reads back from
    // the file: see tameName; an empty name becomes "Anonymous", a score
    // outside the table's range its nearest end.
    void AddEntry(std::string name, int score);
    int Size();
    // The row at 0-based rank index; callers keep index below Size().
    HighscoreEntry GetEntry(int index);
    // Replaces fileName as a whole (a sibling file renamed over it), so a
    // crash leaves the old table or the new one. A file there that is no
    // table as this class writes one is first kept beside it, under
    // fileName + ".kept-N". False, with the old file untouched, when anything
    // could not be written; a note says why.
    bool PrintToFile(std::string fileName);
    // Overwrites rows in file order, a row whole or not at all, until the
    // data ends or a row does not read; the rest keep their values. Then the
    // rows are sorted best first. Only the first few kilobytes are read.
    // Names and scores are tamed as AddEntry stores them. True when the
    // file is missing or read as a table; false, with a note, when it cannot
    // be read or is no table as this class writes one.
    bool ReadFromFile(std::string fileName);
};

// A name as the table keeps it: every byte outside visible ASCII (33 to
// 126) becomes '_', and it is cut to tableNameLength characters.
std::string tameName(const std::string& name);
