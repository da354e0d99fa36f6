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

class HighscoreManager {
public:
    int tableSize;
    bool lowerIsBetter;
    std::list<HighscoreEntry> entries; // best first

    HighscoreManager(int tableSize, bool lowerIsBetter);

    bool IsOnList(int score);
    void AddEntry(std::string name, int score);
    int Size();
    HighscoreEntry GetEntry(int index);
    bool PrintToFile(std::string fileName);
    bool ReadFromFile(std::string fileName);
};
