// The rules of play on a real game object: what each contact does, deaths,
// weapons and entries in the logic step, the name entry, and the waves with
// the count-up between them.
#include "shell/pad.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cmath>
#include <sstream>

using namespace std::string_literals;

namespace {

class Game : public GameFixture {
protected:
    void SetUp() override { GameFixture::SetUp(), ship = game->player, onEachFrame(20000, nullptr); }
    // A game in wave 1 with an empty field, at a second in which nothing enters.
    void quietGame() { game->startGame(), clearField(), seconds = 1; }
    void step(int steps = 1) { speedCounter = steps, runBatch(); }
    template <typename T> T* onShip(T* item, const PMASK* m) // item, whose mask is m, moved onto the ship
    {
        const Spot s = overlapSpot(m, ship->mask, static_cast<int>(ship->x), static_cast<int>(ship->y));
        return item->x = s.x, item->y = s.y, item;
    }
    void shoot(const Enemy* e) // a still shot on the enemy
    {
        const Spot s = overlapSpot(ship->bulletMask, e->masks[0], static_cast<int>(e->x), static_cast<int>(e->y));
        ship->bullets.push_back(Bullet(s.x, s.y, 0, 0, ship->bulletSprite, ship->bulletMask));
    }
    PlayerShip* ship = nullptr;
};

// One step's contacts, each on a field of its own with one collectable far
// away, which keeps the exit closed unless the case takes it.
TEST_F(Game, WhatTouchingTheShipDoes)
{
    Object* far = nullptr;
    auto object = [&](std::vector<Object*>& list, int type) {
        Object* o = addObject(list, type, type == 3 ? SPR_HAZARD : type == 5 ? SPR_COLLECTABLE : type - 7, 0, 0);
        onShip(o, o->mask);
    };
    auto enemy = [&](int kind, float explosionFrame) { // killed and shot at from explosionFrame 0 on
        Enemy* e = addEnemy(kind, 0, 0);
        if (onShip(e, e->masks[0]), explosionFrame >= 0)
            e->takeDamage(1, 2, false), e->explosionFrame = explosionFrame, shoot(e);
    };
    // bonusScore; then after the step the ship's explosionFrame (-1 whole, 0
    // cause 2, 14 cause 1), score, charges as three digits, objects, enemies
    // and bullets left, the exit, how often a sound played.
    const struct { const char* what; std::function<void()> place; int bonus, shipFrame, score, charges, left, exitOpen,
        sound, plays; } cases[] = {
        {"enemy: both die, no points", [&] { enemy(1, -1); }, 1500, 14, 0, 0, 1, 0, SFX_ENEMY_DIES, 1},
        {"enemy shots: one kills, one passes the exploding ship", [&] {
             Enemy* e = addEnemy(4, 500, 60);
             Bullet shot(0, 0, 0, 0, e->bulletSprite, e->masks[2]);
             e->bullets.assign(2, *onShip(&shot, e->masks[2])); }, 1500, 0, 0, 0, 3, 0, SFX_SHIP_DIES, 1},
        {"hazard: both go", [&] { object(game->hazards, 3); }, 1500, 0, 0, 0, 1, 0, SFX_SHIP_DIES, 1},
        {"collectable", [&] { object(game->collectables, 5); }, 1500, -1, 10, 0, 1, 0, SFX_COLLECTABLE, 1},
        {"the last two collectables: the exit opens, one jingle",
         [&] { onShip(far, far->mask), object(game->collectables, 5); }, 1500, -1, 20, 0, 0, 1, SFX_ALL_COLLECTED, 1},
        {"power-up 7", [&] { object(game->powerUps, 7); }, 1500, -1, 0, 100, 1, 0, SFX_PICKUP, 1},
        {"power-up 8", [&] { object(game->powerUps, 8); }, 1500, -1, 0, 10, 1, 0, SFX_PICKUP, 1},
        {"power-up 9", [&] { object(game->powerUps, 9); }, 1500, -1, 0, 1, 1, 0, SFX_PICKUP, 1},
        {"enemy shot, bonus left", [&] { shoot(addEnemy(6, 100, 100)); }, 4, -1, 200, 0, 2, 0, SFX_ENEMY_DIES, 1},
        {"enemy shot, no bonus left", [&] { shoot(addEnemy(6, 100, 100)); }, 0, -1, 0, 0, 2, 0, SFX_ENEMY_DIES, 1},
        {"a shot on two enemies hits both, goes once", [&] { addEnemy(6, 100, 100), shoot(addEnemy(6, 100, 100)); },
         1500, -1, 400, 0, 3, 0, SFX_ENEMY_DIES, 2},
        {"killed enemy: neither hit nor harmful", [&] { enemy(0, 12.9f); }, 1500, -1, 0, 0, 3, 0, SFX_SHIP_DIES, 0},
        {"killed enemy at its explosion's end: gone", [&] { enemy(0, 13); }, 1500, -1, 0, 0, 2, 0, SFX_ENEMY_HIT, 0},
    };
    for (const auto& c : cases) {
        clearField(), ship->reset(), testSeam.sounds.clear();
        ship->explosionFrame = -1, ship->score = ship->charges[0] = ship->charges[1] = ship->charges[2] = 0;
        far = addObject(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE, 60, 30);
        game->exitOpen = false, bonusScore = c.bonus, c.place();
        game->checkBullets(ship->bullets), game->checkPlayerCollision();
        size_t left = game->collectables.size() + game->hazards.size() + game->powerUps.size() + ship->bullets.size();
        for (const Enemy* e : game->enemies)
            left += 1 + e->bullets.size();
        const int* k = ship->charges;
        EXPECT_EQ((std::vector<int>{c.shipFrame, c.score, c.charges, c.left, c.exitOpen, c.plays}),
                  (std::vector<int>{int(ship->explosionFrame), ship->score, 100 * k[0] + 10 * k[1] + k[2], int(left),
                                    game->exitOpen, int(playsOf(sfx(c.sound)).size())})) << c.what;
    }
}

// The ship is killed whenever it is whole, with an enemy on the field that
// goes only when the death is complete; game over takes a name.
TEST_F(Game, TheGameEndsAfterTheLastDeathOrOnEscape)
{
    const struct { const char* what; int firstPoints, escape, deaths; } cases[] = { // Escape 1 held, 2 typed
        {"five spare ships", 10, 0, 6}, {"an extra life", 5000, 0, 7}, {"Escape", 0, 1, 0},
        {"Escape pressed and released between two frames", 0, 2, 1}};
    for (const auto& c : cases) {
        int deaths = testSeam.presents = testSeam.screenClears = 0;
        testSeam.keys[KEY_ESC] = c.escape == 1;
        testSeam.keyBuffer.assign(1, keyCode(KEY_ESC, 27)); // typed in the menu: not for play
        onEachFrame(20000, [&](int frame) {
            if (testSeam.screenClears > 0) // game over
                return testSeam.keyBuffer.assign({keyCode(KEY_A, 'a'), keyCode(KEY_ENTER, 13)});
            if (frame == 1)
                clearField(), ship->addScore(c.firstPoints, -1, -1), testSeam.keyBuffer.assign(c.escape == 2, keyCode(KEY_ESC, 27));
            ASSERT_EQ(ship->explosionFrame >= 0, !game->enemies.empty()) << frame;
            if (ship->explosionFrame < 0)
                ship->die(2), addEnemy(0, 60, 60), ++deaths;
        });
        game->playGame();
        EXPECT_EQ(std::make_pair(c.deaths, c.escape ? 5 : -1), std::make_pair(deaths, ship->lives)) << c.what;
    }
    testSeam.keys[KEY_ESC] = false;
}

// Closed in play (the close button, a signal): no game-over screen, and a
// score that makes the table is kept under "Anonymous", saved at once.
TEST_F(Game, AGameClosedInPlayKeepsAScoreThatMakesTheTable)
{
    for (int points : {0, 70}) {
        testSeam.screenClears = testSeam.presents = 0;
        onEachFrame(100, [&](int frame) { ship->score = points, quitRequested = frame == 3; });
        game->playGame();
        quitRequested = false;
        HighscoreManager saved(5, false);
        saved.ReadFromFile("highscores.tav");
        const auto best = std::make_pair(std::string(points ? "Anonymous" : "None"), points);
        EXPECT_EQ(best, std::make_pair(game->highscores->GetEntry(0).name, game->highscores->GetEntry(0).score));
        EXPECT_EQ(best, std::make_pair(saved.GetEntry(0).name, saved.GetEntry(0).score));
        EXPECT_EQ(0, testSeam.screenClears);
    }
}

// Closed while the time bonus is counted into the score: all of it was won.
TEST_F(Game, AWaveClosedDuringTheCountKeepsItsWholeBonus)
{
    quietGame(), ship->score = 10, bonusScore = 1000;
    onEachFrame(100, [](int frame) { quitRequested = frame == 3; });
    game->nextWave();
    quitRequested = false;
    EXPECT_EQ(1010, ship->score);
}

// Paused for five simulated seconds (kind 0 due every two): one still
// picture, the field dimmed, no step, no sound, the bonus kept; the motion
// sent meanwhile is dropped and the click that goes on is no shot; then one
// step per tick. A held P repeats in the key buffer and counts once. Escape
// or a close ends the game from the pause.
TEST_F(Game, APauseHoldsPlayUntilPPauseOrAClick)
{
    enum How { P, HeldP, Pause, Focus, Click, Escape, Quit };
    const struct { const char* what; How pause, end; } cases[] = {
        {"P, then P", P, P}, {"Pause, then Pause", Pause, Pause}, {"the focus lost, then a click", Focus, Click},
        {"P held, repeating, let go, then P", HeldP, P}, {"P, then Escape", P, Escape}, {"P, then closed", P, Quit}};
    const int top = screenHeight / 2 - 124, bottom = screenHeight / 2 - 54; // the band behind the words
    for (const auto& c : cases) {
        testSeam.presents = testSeam.screenClears = 0, testSeam.sounds.clear();
        std::vector<int> atPause, afterPause, xs;
        unsigned int pausedAt = 0;
        size_t soundsAtPause = 0;
        bool ended = false;
        auto state = [&] { return std::vector<int>{int(ship->x), int(ship->y), bonusScore, int(game->enemies.size())}; };
        testSeam.onWait = [&] {
            if (!gamePaused)
                return;
            if (testSeam.restedMs - pausedAt < 2500)
                return testSeam.keyBuffer.assign(c.pause == HeldP, keyCode(KEY_P, 'p')); // repeats while held
            testSeam.keys[KEY_P] = false;
            quitRequested = quitRequested || testSeam.restedMs - pausedAt > 10000; // a pause that never ends
            if (testSeam.restedMs - pausedAt >= 5000 && !ended) {
                ended = true, testSeam.mickeyX = 700, testSeam.buttons = c.end == Click;
                testSeam.keyBuffer.assign(c.end == P, keyCode(KEY_P, 'p')), testSeam.leftPresses += c.end == Click;
                testSeam.keys[KEY_ESC] = c.end == Escape, quitRequested = c.end == Quit;
                testSeam.keys[KEY_PAUSE] = c.pause == Pause && c.end != Pause; // Allegro flips it at each press
            }
        };
        onEachFrame(100, [&](int frame) {
            if (frame == 32) // the first picture after the pause: play or game over
                afterPause = state();
            if (frame >= 32 && testSeam.screenClears == 0)
                xs.push_back(int(ship->x));
            if (testSeam.screenClears > 0) // game over
                return testSeam.keyBuffer.assign(1, keyCode(KEY_A, 'a'));
            if (frame == 1)
                clearField(), ship->x = ship->y = 300, ship->vx = ship->vy = 1, game->enemySpawns[0].interval = 2;
            if (frame == 30) {
                testSeam.keyBuffer.assign(c.pause == P || c.pause == HeldP, keyCode(KEY_P, 'p'));
                testSeam.keys[KEY_P] = c.pause == HeldP, testSeam.keys[KEY_PAUSE] = c.pause == Pause;
                focusLost = c.pause == Focus;
            }
            if (frame == 31) {
                atPause = state(), pausedAt = testSeam.restedMs, soundsAtPause = testSeam.sounds.size();
                int brightest = 0, white = 0; // outside the band; the words' pixels
                for (int y = statusLineHeight; y < screenHeight; ++y)
                    for (int x = 0; x < screenWidth; ++x) {
                        const int p = getpixel(game->buffer, x, y);
                        if (y < top || y > bottom)
                            brightest = std::max({brightest, getr(p), getg(p), getb(p)});
                        white += p == makecol(255, 255, 255);
                    }
                EXPECT_LE(brightest, 96) << c.what;
                EXPECT_GT(white, 50) << c.what;
            }
            testSeam.keys[KEY_ESC] = frame == 36;
        });
        game->playGame();
        if (afterPause.empty())
            afterPause = state();
        quitRequested = false, testSeam.keys[KEY_ESC] = testSeam.keys[KEY_PAUSE] = false, testSeam.buttons = 0;
        EXPECT_EQ(atPause, afterPause) << c.what;
        for (size_t i = 0; i < xs.size(); ++i)
            EXPECT_EQ(afterPause[0] + int(i), xs[i]) << c.what << ": one step per tick, the motion dropped";
        EXPECT_EQ(c.end == Escape || c.end == Quit ? 0u : 5u, xs.size()) << c.what;
        EXPECT_EQ(0u, ship->bullets.size()) << c.what;
        EXPECT_GE(testSeam.restedMs - pausedAt, 5000u) << c.what;
        ASSERT_TRUE(soundsAtPause > 0 && soundsAtPause < testSeam.sounds.size()) << c.what;
        const SoundCall &held = testSeam.sounds[soundsAtPause - 1], &letGo = testSeam.sounds[soundsAtPause];
        EXPECT_EQ(std::make_tuple(SoundCall::Hold, 1, SoundCall::Hold, 0),
                  std::make_tuple(held.kind, held.volume, letGo.kind, letGo.volume)) << c.what;
    }
}

// The pad in play, its buttons as the settings name them: A fires, B or Y
// picks the next weapon, X spends its charge, each on a tap between two
// steps too; the stick past its dead zone adds speed, scaled.
TEST_F(Game, ThePadSteersFiresAndPicksTheWeapons)
{
    const struct { const char* what; const char* settings; int button, stick; std::vector<int> want; } cases[] = {
        {"A", "", PAD_A, 0, {1, 0, 1, 100}}, {"B", "", PAD_B, 0, {0, 1, 1, 100}}, {"Y", "", PAD_Y, 0, {0, 1, 1, 100}},
        {"X", "", PAD_X, 0, {0, 0, 0, 100}}, {"A, fire moved", "PadFire 4", PAD_A, 0, {0, 0, 1, 100}},
        {"4, fire moved", "PadFire 4", 4, 0, {1, 0, 1, 100}}, {"dead zone", "", -1, -30, {0, 0, 1, 100}},
        {"the stick right out, doubled", "PadSensitivity 2", -1, 127, {0, 0, 1, 124}}};
    for (const auto& c : cases) { // want: shots, weapon, its charges, speed in hundredths
        std::istringstream in(c.settings);
        game->settings = Settings(), readSettings(in, game->settings), quietGame();
        ship->vx = ship->vy = 1, ship->fireTimer = 30, ship->charges[0] = 1;
        ship->selectedSpecial = ship->selectHeld = 0;
        testSeam.padThere = true, testSeam.pad = PadState{}, testSeam.pad.axes[PAD_STICK_X] = c.stick, forgetPresses();
        if (c.button >= 0)
            testSeam.pad.buttons[c.button] = true, pollPad(), testSeam.pad.buttons[c.button] = false;
        pollPad(), step();
        EXPECT_EQ(c.want, (std::vector<int>{int(ship->bullets.size()), ship->selectedSpecial, ship->charges[0],
                                            int(std::lround(ship->vx * 100))})) << c.what;
    }
}

// A fired weapon acts on every enemy, an exploding one too, in each step
// until the next frame, which shows its flash once.
TEST_F(Game, SpecialWeaponsSlowPushBackOrDamageUntilTheNextFrame)
{
    for (int weapon = 0; weapon < 3; ++weapon) {
        quietGame(), testSeam.sounds.clear();
        Enemy* e = addEnemy(1, 100, 100); // 2 hit points, speed 0.3; still for this second
        ship->selectedSpecial = weapon, ship->charges[weapon] = 1, testSeam.keys[KEY_SPACE] = true;
        step(3);
        EXPECT_EQ(std::make_tuple(weapon == 0 ? 0.1f : 0.3f, weapon == 1, weapon == 2 ? 2 - 3 * 10 : 2),
                  std::make_tuple(e->speed, e->x <= 0 || e->y <= 17, e->hitPoints)) << weapon;
        game->drawFrame();
        EXPECT_EQ(makecol(weapon == 2 ? 255 : 100, weapon == 1 ? 255 : 100, weapon == 0 ? 255 : 100),
                  getpixel(game->buffer, 160, 470)) << weapon;
        step();
        EXPECT_EQ(3u, playsOf(sfx(SFX_SPECIAL)).size()) << weapon;
    }
}

TEST_F(Game, EachKindEntersOnceInEachSecondThatIsAMultipleOfItsInterval)
{
    quietGame(); // kind 0 every 8 seconds
    game->enemySpawns[1].interval = 7;
    const struct { int second, steps; size_t enemies; } seq[] = {{56, 100, 2}, {57, 1, 2}, {63, 2, 3}, {64, 1, 4}};
    for (const auto& s : seq) {
        seconds = s.second, step(s.steps);
        EXPECT_EQ(s.enemies, game->enemies.size()) << "second " << s.second;
    }
}

// The fixed objects the ship flies into: the exit gate leads to the next
// wave only once open (until then a bar lies across it); the wandering
// bonus, launched in a hundredth second, is worth 2000 and is parked.
TEST_F(Game, TouchingTheGateOrTheWanderingBonus)
{
    testSeam.onWait = [] { ++testSeam.leftPresses; }; // taps end the wave-completed screen, not its 4 s
    const struct { const char* what; int index; bool open; int wave, score, sound, plays; } cases[] = {
        {"closed exit", 3, false, 1, 0, SFX_EXIT, 0}, {"open exit", 3, true, 2, 0, SFX_EXIT, 1},
        {"wandering bonus", 4, false, 1, 2000, SFX_BONUS_TAKEN, 1}};
    for (const auto& c : cases) {
        quietGame(), testSeam.sounds.clear(), bonusScore = 0;
        if (!c.open)
            addObject(game->collectables, OBJ_COLLECTABLE, SPR_COLLECTABLE, 60, 30);
        game->exitOpen = c.open, game->drawFrame();
        EXPECT_EQ(!c.open, getpixel(game->buffer, 299, 479) == makecol(140, 0, 0)) << c.what;
        Object* o = game->fixedObjects[c.index];
        for (int i = 0; c.index == 4 && !game->bonusActive && i < 100; ++i)
            seconds = 200, step();
        ASSERT_EQ(c.index == 4, game->bonusActive) << c.what;
        if (c.index == 4)
            o->x = 400, o->y = 100, seconds = 201;
        testSeam.restedMs = 0, putShipOn(o->mask, o->x, o->y), step();
        EXPECT_EQ((std::vector<int>{c.wave, c.score, c.plays, 0}),
                  (std::vector<int>{game->wave, ship->score, int(playsOf(sfx(c.sound)).size()), game->bonusActive}))
            << c.what;
        EXPECT_LT(testSeam.restedMs, 500u) << c.what; // its two pauses of 200 ms, then the tap
    }
    EXPECT_EQ(-200, game->fixedObjects[4]->x);
}

// Keys: a character each, Enter (\r), Backspace (\b) and Escape (\x1b) their
// own; atOnce puts them all in the buffer at once; held: the left button (1)
// and Escape (2) held from play, a tap at every frame (4); name: the best
// row's. The final score stands under the picture.
TEST_F(Game, NameEntry)
{
    const struct { const char* what; int score; std::string keys; bool atOnce; int held; const char* name; } cases[] = {
        {"visible ASCII only", 50, "a b\t\x7f\xe9\0~C\r"s, false, 0, "ab~C"},
        {"nine characters; Backspace still erases", 50, "abcdefghijkl\bZ\r", false, 0, "abcdefghZ"},
        {"Enter needs a name", 50, "\rx\r", false, 0, "x"},
        {"a name once typed lets Enter end it emptied", 50, "x\b\r", false, 0, "Anonymous"},
        {"every key typed at once, in order, up to Enter", 50, "q\bwer\rty", true, 0, "wer"},
        {"the left button does nothing; Escape ends it", 50, "ab\x1b" "c", false, 1 | 4, "ab"},
        {"Escape counts once it has been let go", 50, "a\x1b" "b\r", false, 2, "ab"},
        {"off the table: a button held from play does nothing, a key ends it", 0, "", false, 1, "None"},
        {"off the table: a tap ends it", 0, "", false, 4, "None"},
        {"off the table: Escape held from play repeats and does nothing", 0, "\x1b\x1b", false, 2, "None"},
    };
    FONT* large = fontAt(game->miscData, MISC_FONT_LARGE);
    BITMAP* scoreLine = create_bitmap(screenWidth, text_height(large));
    for (const auto& c : cases) {
        *game->highscores = HighscoreManager(5, false);
        ship->score = c.score, testSeam.buttons = c.held & 1, testSeam.keys[KEY_ESC] = c.held & 2;
        testSeam.presents = testSeam.ticksPerPresent = 0, testSeam.keys[KEY_ENTER] = false; // a key at each wait
        std::vector<int> keys;
        for (char ch : c.keys)
            keys.push_back(keyCode(ch == '\r' ? KEY_ENTER : ch == '\b' ? KEY_BACKSPACE : ch == 27 ? KEY_ESC : KEY_A, ch & 0xff));
        typeKeys(keys);
        if (c.atOnce)
            testSeam.onWait = [keys] { testSeam.keyBuffer.assign(keys.begin(), keys.end()); };
        int scoreMismatches = -1;
        onEachFrame(100, [&](int f) {
            if (f == 30 && !c.score)
                testSeam.keyBuffer.push_back(keyCode(KEY_A, 'a'));
            testSeam.leftPresses += (c.held & 4) != 0;
            if (f > 1)
                return;
            clear_to_color(scoreLine, makecol(0, 0, 0));
            textprintf_centre_ex(scoreLine, large, screenWidth / 2, 0, makecol(255, 200, 70), -1, "Final score: %d", c.score);
            scoreMismatches = 0;
            for (int y = 0; y < scoreLine->h; ++y)
                for (int x = 0; x < screenWidth; ++x)
                    scoreMismatches += getpixel(scoreLine, x, y) != getpixel(game->buffer, x, screenHeight / 2 + 15 + y);
        });
        game->gameOver();
        EXPECT_EQ(0, scoreMismatches) << "the final score under the picture";
        const HighscoreEntry best = game->highscores->GetEntry(0);
        EXPECT_EQ(std::make_pair(std::string(c.name), c.score), std::make_pair(best.name, best.score)) << c.what;
        EXPECT_TRUE(c.score || testSeam.presents == (c.held & 4 ? 1 : 30)) << testSeam.presents;
    }
    testSeam.keys[KEY_ESC] = false;
    destroy_bitmap(scoreLine);
}

// Kind k joins in wave 3k + 1 at 8 seconds, then comes down by one a wave to
// 6. Every object lies inside the drop area; every hazard clear of the
// ship's start, of the approach to the exit and of every other object. The
// bonus left is counted in at 4 points a step, and may earn extra lives.
TEST_F(Game, EachWaveFollowsTheScheduleAndThePlacementRules)
{
    testSeam.buttons = 1;           // the wave-completed screen ends at once
    testSeam.ticksPerPresent = 400; // and counts in a frame or two
    PMASK* m = create_allegro_pmask(bitmapAt(game->spritesData, SPR_HAZARD));
    size_t mostPowerUps = 0;
    for (int wave : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 600}) {
        SCOPED_TRACE(wave);
        const int score = ship->score;
        game->wave = wave - 1, bonusScore = 40 * wave, game->nextWave();
        EXPECT_EQ(score + (wave > 1 ? 40 * wave : 0), ship->score);
        EXPECT_EQ(wave == 1, testSeam.presents == 0) << "a screen before every wave but the first";
        EXPECT_EQ(1500, bonusScore.load());
        EXPECT_EQ(size_t(2 * wave + 5), game->collectables.size());
        mostPowerUps = std::max(mostPowerUps, game->powerUps.size());
        EXPECT_TRUE(int(game->hazards.size()) == std::max(0, wave / 2 - 1) || wave == 600) << "no room left at 600";
        for (int k = 0; k < 7 && wave < 600; ++k)
            EXPECT_EQ(wave < 3 * k + 1 ? -1 : std::max(6, 8 - (wave - 3 * k - 1)), game->enemySpawns[k].interval) << k;
        for (auto* list : {&game->collectables, &game->powerUps, &game->hazards})
            for (const Object* o : *list)
                EXPECT_TRUE(o->x >= 60 && o->x <= 570 && o->y >= 17 && o->y <= 430) << o->x << ", " << o->y;
        for (const Object* h : game->hazards) {
            EXPECT_FALSE(220 < h->x && h->x < 390 && 140 < h->y && h->y < 310) << "on the ship's start";
            EXPECT_FALSE(250 < h->x && h->x < 370 && h->y > 380) << "before the exit";
            for (auto* list : {&game->collectables, &game->powerUps, &game->hazards})
                for (const Object* o : *list)
                    EXPECT_TRUE(o == h || !check_pmask_collision(m, o->mask, h->x, h->y, o->x, o->y)) << "overlap";
        }
    }
    EXPECT_EQ(3u, mostPowerUps);
    EXPECT_EQ(5 + 6, ship->lives); // 34080 points counted in
    destroy_pmask(m);
}

TEST_F(Game, ConstructionPlacesTheFixedObjectsAndButtonsAndReadsTheSavedTable)
{
    std::vector<int> built;
    for (const Object* o : game->fixedObjects)
        built.insert(built.end(), {o->type, o->x, o->y});
    for (const GuiButton* b : {game->optionsButton, game->playButton, game->instructionsButton, game->creditsButton,
                               game->exitButton})
        built.insert(built.end(), {b->x + b->width, b->y});
    EXPECT_EQ((std::vector<int>{3, 250, 440, 3, 0, 203, 3, 582, 203, 4, 299, 470, 6, -200, -200,
                                640, 230, 640, 280, 640, 330, 640, 380, 640, 430}), built);

    game->highscores->AddEntry("Pilot", 4321), rebuildGame(); // saved by the destructor, read by the constructor
    const HighscoreEntry best = game->highscores->GetEntry(0);
    EXPECT_EQ(std::make_pair("Pilot"s, 4321), std::make_pair(best.name, best.score));
    EXPECT_EQ(0u, listing().count("Tempout.txt") + listing().count("Tempin.txt"));
}

} // namespace
