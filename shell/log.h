// Log.txt, the progress log. Only the shell and the game object write it. A
// line reaches the file once it ends, so a process that stops at any point
// leaves every finished line and nothing of an unfinished one.
#pragma once

#include <string>

// Creates or empties the file at path. Where it cannot be made the game
// runs without a log; every later call then writes nothing.
void openLog(const char* path);

// Appends text; the lines it finishes go to the file at once.
void logText(const std::string& text);

// A line of its own, for what went wrong or was changed along the way (a
// setting ignored, a table kept, a fatal message), written at once. An
// unfinished line, a step's announcement, stays unfinished after it, so the
// note comes before the line of the step it was met in.
void logLine(const std::string& line);

// Writes what is left, the last line without its line end, and closes.
void closeLog();
