// The ranked table of best results and its complemented file.
#pragma once

#include <list>
#include <string>

class HighscoreEntry {
public:
    std::string name;
    int score;
    bool lowerIsBetter;
};

// True when a ranks ahead of b, by a's direction.
bool operator<(const HighscoreEntry& a, const HighscoreEntry& b);

// The file holds one line per row, "name score" and CR LF, with every byte
// complemented. Writing and reading pass through "Tempout.txt" and
// "Tempin.txt" in the working directory, which are deleted afterwards.
class HighscoreManager {
public:
    int tableSize;
    bool lowerIsBetter;
    std::list<HighscoreEntry> entries; // best first

    // tableSize rows of "None", scoring 100 when lower is better, else 0.
    HighscoreManager(int tableSize, bool lowerIsBetter);

    // True when score ranks strictly ahead of the last row.
    bool IsOnList(int score);
    // Replaces the last row when score is on the list; the new row goes
    // after rows of equal score. The name is stored so that it reads back
    // from the file: whitespace and control bytes become '_', and an empty
    // name becomes "Anonymous".
    void AddEntry(std::string name, int score);
    int Size();
    // The row at 0-based rank index; callers keep index below Size().
    HighscoreEntry GetEntry(int index);
    // Replaces fileName as a whole (a sibling file renamed over it), so a
    // crash leaves the old table or the new one. False, with the old file
    // untouched, when anything could not be written.
    bool PrintToFile(std::string fileName);
    // Overwrites rows in file order until the data ends or a field fails to
    // parse; the rest keep their values. A missing file changes nothing and
    // answers true. No sort follows.
    bool ReadFromFile(std::string fileName);
};
