// A real game object for the screen tests: built in a scratch working
// directory that holds copies of the generated datafiles, driven by the
// recording seam, and given scripted mouse input frame by frame.
#pragma once

#include "game/main_game.h"
#include "gui/gui_button.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "support/test_seam.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

namespace screens {

// Thrown from the seam when a screen keeps running past its script.
struct ScreenRanAway {
    int frame;
};

// From the logic step that follows frame `frame` on, the pointer stands at
// (x, y) and the mouse buttons read `buttons`.
struct MouseAt {
    int frame;
    int x;
    int y;
    int buttons;
};

class ScreenFixture : public ::testing::Test {
protected:
    ScopedTestSeam seamInPlace;
    MainGameClass* game = nullptr;
    std::filesystem::path workDir;
    std::filesystem::path oldDir;

    void SetUp() override
    {
        namespace fs = std::filesystem;
        const fs::path data = TARNAVEL_DATA_DIR;
        for (const char* file : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"})
            ASSERT_TRUE(fs::exists(data / file)) << "build the datafiles first: " << data / file;
        char pattern[] = "/tmp/tarnavel-screens-XXXXXX";
        ASSERT_NE(nullptr, mkdtemp(pattern));
        workDir = pattern;
        for (const char* file : {"sprites.dat", "explosion.dat", "misc.dat", "sfx.dat"})
            fs::copy_file(data / file, workDir / file);
        oldDir = fs::current_path();
        fs::current_path(workDir);
        game = new MainGameClass();
    }

    void TearDown() override
    {
        delete game;
        game = nullptr;
        if (!oldDir.empty())
            std::filesystem::current_path(oldDir);
        if (!workDir.empty())
            std::filesystem::remove_all(workDir);
    }

    // Plays `script` into the seam, one entry per frame number, and calls
    // `inspect` after each frame has been put on the screen. A screen still
    // running after `lastFrame` frames is stopped with ScreenRanAway.
    void drive(std::vector<MouseAt> script, int lastFrame,
               std::function<void(int frame)> inspect = nullptr)
    {
        testSeam.onPresent = [script, lastFrame, inspect](int frame) {
            if (inspect)
                inspect(frame);
            for (const MouseAt& m : script) {
                if (m.frame == frame) {
                    testSeam.pointerX = m.x;
                    testSeam.pointerY = m.y;
                    testSeam.buttons = m.buttons;
                }
            }
            if (frame > lastFrame)
                throw ScreenRanAway{frame};
        };
    }

    static int centreX(const GuiButton* b) { return b->x + b->width / 2; }
    static int centreY(const GuiButton* b) { return b->y + b->height / 2; }

    BITMAP* misc(int index) const { return bitmapAt(game->miscData, index); }
    FONT* smallFont() const { return fontAt(game->miscData, MISC_FONT_SMALL); }
};

// Runs a screen, turning a runaway into a test failure; returns the number of
// frames it put on the screen.
template <typename Screen>
int framesOf(Screen&& run)
{
    try {
        run();
    } catch (const ScreenRanAway& r) {
        ADD_FAILURE() << "the screen was still running at frame " << r.frame;
    }
    return testSeam.presents;
}

} // namespace screens
