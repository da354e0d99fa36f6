// A record of what the game took from and gave to the seam, written as it
// happens when the environment variable TARNAVEL_SEAM_LOG names a file. The
// end-to-end tests and the benchmarks read it to learn what the game really
// received (the mouse motion that reached the ship) and when it first showed
// a picture, without asking the game itself.
//
// One line per event, fields separated by one blank; T is the wall-clock time
// (CLOCK_REALTIME) in seconds with six decimals, comparable with a shell's
// $EPOCHREALTIME:
//   steer T            the first motion read after start-up or a pointer read
//   mickeys T DX DY    a motion read that returned something other than 0, 0
//   point T            the first pointer read after start-up or steering
//   present T X Y W H  a picture put on the screen whose place or size differs
//                      from the previous one's (so every screen change, not
//                      every frame)
//   clear T            the screen cleared
//   pad T B A0 ... A7  the gamepad read as it was not read before: B its
//                      buttons held (bit n for button n), then its axes
//   pad T gone         the gamepad read as gone after being there
// Every line is flushed as it is written.
#pragma once

// Wraps the seam in force so that its calls are written to the file at path.
// Returns false (and changes nothing) when the file cannot be made.
bool startSeamLog(const char* path);
// Flushes and closes the file; the seam keeps writing nothing more.
void stopSeamLog();
