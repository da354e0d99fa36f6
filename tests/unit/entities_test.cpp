// The ship, the enemies and the field objects over the real datafiles,
// played step by step through the recording seam.
#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "entities/sound.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "support/game_fixture.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <set>
#include <string>
#include <tuple>

namespace {

constexpr int W = screenWidth;
constexpr int H = screenHeight;

class Entities : public GameFixture {
protected:
    void SetUp() override
    {
        GameFixture::SetUp();
        clearField();
        ship = game->player;
        bonusScore = 100000; // shot enemies score only while a time bonus is left
    }
    // One logic step of the ship with this input, the mouse motion added to any still unread.
    int step(int buttons = 0, int mx = 0, int my = 0, bool space = false)
    {
        std::tie(testSeam.buttons, testSeam.mickeyX, testSeam.mickeyY) =
            std::make_tuple(buttons, testSeam.mickeyX + mx, testSeam.mickeyY + my);
        testSeam.keys[KEY_SPACE] = space;
        return ship->move(noObjects);
    }
    void place(float x, float y, float vx, float vy)
    {
        std::tie(ship->x, ship->y, ship->vx, ship->vy) = std::make_tuple(x, y, vx, vy);
    }
    // A new enemy where it enters, owned by the game.
    Enemy* make(int kind)
    {
        game->enemies.push_back(new Enemy(kind, game->spritesData, game->explosionData, game->sfxData));
        return game->enemies.back();
    }

    PlayerShip* ship = nullptr;
    std::vector<Object*> noObjects;
};
using Ship = Entities;
using Enemies = Entities;
using FieldObjects = Entities;

TEST_F(Ship, SteersClampsAndStopsAtTheBounds)
{
    const float right = W - ship->sprite->w, bottom = H - ship->sprite->h;
    struct Row { float sensitivity; int mx, my; float x, y, vx, vy, toX, toY, toVx, toVy; };
    const Row rows[] = {
        // 100 mickeys add a pixel per step, times the sensitivity; no friction; at most 4.5 each way.
        {1, 100, -100, 320, 240, 0, 0, 321, 239, 1, -1}, {0.5f, 100, 0, 320, 240, 1, 0, 321.5f, 240, 1.5f, 0},
        {0, 400, 400, 320, 240, 1.5f, -1, 321.5f, 239, 1.5f, -1},
        {1, 500, -500, 320, 240, 0, 0, 324.5f, 235.5f, 4.5f, -4.5f},
        {1, -100, 100, 320, 240, 4.5f, -4.5f, 323.5f, 236.5f, 3.5f, -3.5f},
        // A bound undoes the step on its axis and stops it there; the top 17 rows are the status line's.
        {1, 0, 0, 0.5f, 100, -1, 1, 0.5f, 101, 0, 1}, {1, 0, 0, right - 0.5f, 100, 1, -1, right - 0.5f, 99, 0, -1},
        {1, 0, 0, 100, 17.5f, 1, -1, 101, 17.5f, 1, 0}, {1, 0, 0, 100, bottom - 0.5f, -1, 1, 99, bottom - 0.5f, -1, 0},
        {1, 0, 0, 1, 18, -1, -1, 0, 17, -1, -1}, {1, 0, 0, right - 1, bottom - 1, 1, 1, right, bottom, 1, 1}, // inside
        {1, 0, 0, 0.5f, 17.5f, -1, -1, 0.5f, 16.5f, 0, -1}, // into a corner: sideways first
    };
    for (const Row& r : rows) {
        mouseSens = r.sensitivity;
        place(r.x, r.y, r.vx, r.vy);
        EXPECT_EQ(0, step(0, r.mx, r.my));
        EXPECT_EQ(std::make_tuple(r.toX, r.toY, r.toVx, r.toVy), std::make_tuple(ship->x, ship->y, ship->vx, ship->vy))
            << "row " << &r - rows;
    }
}

TEST_F(Ship, FiresOnAFreshPressMovingOnBothAxesMoreThanTwentyStepsAfterTheLastShot)
{
    struct Row { float vx, vy; int sinceShot; bool held, fires; };
    const Row rows[] = {{1.5f, -0.5f, 20, false, false}, {1.5f, -0.5f, 99, true, false}, {3, 0, 99, false, false},
                        {0, -2, 99, false, false}, {0, 0, 99, false, false}, {1.5f, -0.5f, 21, false, true}};
    for (const Row& r : rows) {
        place(100.5f, 200.25f, r.vx, r.vy);
        std::tie(ship->fireTimer, ship->fireHeld) = std::make_tuple(r.sinceShot, r.held);
        step(1);
        ASSERT_EQ(r.fires ? 1u : 0u, ship->bullets.size()) << "row " << &r - rows;
    }
    // From the centre, before this step's motion, at twice the speed; at a pitch of 950..1050.
    const Bullet& b = ship->bullets[0];
    EXPECT_EQ(std::make_tuple(100.5f + ship->sprite->w / 2 - 1, 200.25f + ship->sprite->h / 2 - 1, 3.0f, -1.0f),
              std::make_tuple(b.x, b.y, b.vx, b.vy));
    const SoundCall shot = playsOf(ship->fireSample).at(0);
    EXPECT_TRUE(shot.frequency >= 950 && shot.frequency <= 1050 && shot.pan == panFor(100.5f)) << shot.frequency;
}

TEST_F(Ship, RightButtonCyclesTheWeaponsAndSpaceSpendsACharge)
{
    struct Step { int buttons; bool space; int selected; bool fired; };
    const Step script[] = {
        {2, false, 1, false}, {2, false, 1, false}, {0, false, 1, false}, {2, false, 2, false}, // held: once
        {0, false, 2, false}, {3, false, 0, false}, {0, true, 0, false},  // wraps to 0, which has no charge
        {2, true, 1, false},  {0, false, 1, false}, {0, true, 1, true},   {0, true, 1, false}, // a fresh Space
        {0, false, 1, false}, {0, true, 1, true},   {0, false, 1, false}, {0, true, 1, false}, // spent
    };
    ship->charges[1] = 2;
    for (const Step& s : script) {
        step(s.buttons, 0, 0, s.space);
        EXPECT_EQ(std::make_pair(s.selected, s.fired), std::make_pair(ship->selectedSpecial, ship->specialFired))
            << "step " << &s - script;
        ship->specialFired = false; // as the play loop does after the frame
    }
}

TEST_F(Ship, ExplodesForTwentyNineStepsThenIsDestroyed)
{
    struct Row { int earlierCause, cause, first, last; };
    const Row rows[] = {{0, 1, 14, 26}, {0, 2, 0, 12}, {2, 1, 14, 26}}; // dying again starts over
    for (const Row& r : rows) {
        ship->reset();
        place(64, 100, 2, 1);
        if (r.earlierCause != 0)
            ship->die(r.earlierCause);
        for (int i = 0; i < 20 && r.earlierCause != 0; ++i)
            step();
        ship->die(r.cause);
        std::set<int> frames;
        int steps = 0;
        for (; !ship->destroyed && steps < 100; ++steps) {
            frames.insert(static_cast<int>(ship->explosionFrame));
            step(1, 300, 300, true);
        }
        // 0.45 frames a step; nothing read and nothing moved meanwhile.
        EXPECT_EQ(std::make_tuple(29, size_t{13}, r.first, r.last, 29 * 300, 64.0f, panFor(64)),
                  std::make_tuple(steps, frames.size(), *frames.begin(), *frames.rbegin(), testSeam.mickeyX, ship->x,
                                  playsOf(ship->dieSample).back().pan)) << "row " << &r - rows;
    }
}

TEST_F(Ship, DrawsItsExplosionCentredOnItAndItsShotsTruncatedTowardZero)
{
    BITMAP* seen = create_bitmap(W, H);
    BITMAP* wanted = create_bitmap(W, H);
    clear_bitmap(seen);
    clear_bitmap(wanted);
    place(100.7f, 200.9f, 0, 0);
    ship->bullets.push_back(Bullet(-0.5f, 10.7f, 0, 0, ship->bulletSprite, ship->bulletMask));
    ship->die(2);
    ship->draw(seen, font);
    BITMAP* blast = bitmapAt(game->explosionData, 0);
    draw_sprite(wanted, ship->bulletSprite, 0, 10);
    draw_sprite(wanted, blast, 100 + ship->sprite->w / 2 - blast->w / 2, 200 + ship->sprite->h / 2 - blast->h / 2);
    EXPECT_EQ(0, memcmp(seen->dat, wanted->dat, W * H * sizeof(uint32_t))); // memory bitmaps: one block
    destroy_bitmap(seen);
    destroy_bitmap(wanted);
}

TEST_F(Ship, ScoresAnExtraLifeEveryFiveThousandTimesTheLevelAtMostOnePerCall)
{
    struct Call { int points, x, y, lives; size_t texts; }; // texts only where x and y are 0 or more
    const Call calls[] = {{4990, -1, -1, 5, 0}, {10, 10, -1, 6, 0}, {4999, -1, 10, 6, 0}, {1, 0, 0, 7, 1},
                          {16000, -1, -1, 8, 1}, {0, -1, -1, 9, 1}, {0, -1, -1, 10, 1}, {0, -1, -1, 10, 1}};
    for (const Call& c : calls) {
        ship->addScore(c.points, c.x, c.y);
        EXPECT_EQ(std::make_pair(c.lives, c.texts), std::make_pair(ship->lives, ship->scoreTexts.size()))
            << "at " << ship->score;
    }
    // A text fades by 3 a step and goes below 1.
    for (int i = 0; i < 84; ++i)
        step();
    EXPECT_EQ(3, ship->scoreTexts.at(0).brightness);
    step();
    EXPECT_TRUE(ship->scoreTexts.empty());

    // The jingle's voice is let go on the next step, or at once when another
    // is taken in the same step; with no voice free the life still comes.
    testSeam.sounds.clear();
    ship->score = 25000;
    for (const int voice : {7, 8, -1}) {
        testSeam.nextVoice = voice;
        ship->addScore(5000, -1, -1);
        if (voice != 7)
            step();
    }
    std::string voices;
    for (const SoundCall& c : testSeam.sounds)
        voices += "-APSR"[c.kind] + std::to_string(c.voice) +
                  (c.kind == SoundCall::Priority ? "@" + std::to_string(c.volume) : "") + " ";
    EXPECT_EQ("A7 P7@255 S7 R7 A8 P8@255 S8 R8 A-1 ", voices);
    EXPECT_EQ(13, ship->lives);
}

TEST_F(Ship, ResetPutsTheShipBackAndKeepsWhatThePlayerOwns)
{
    place(17, 99, 2, -3);
    ship->die(2);
    std::tie(ship->lives, ship->score, ship->charges[2], ship->selectedSpecial) = std::make_tuple(3, 1234, 4, 2);
    ship->selectHeld = ship->destroyed = true;
    ship->bullets.push_back(Bullet(1, 1, 1, 1, ship->bulletSprite, ship->bulletMask));
    testSeam.mickeyX = 250; // motion made while the ship was away
    ship->reset();
    step(2); // the right button still held
    EXPECT_EQ(std::make_tuple(320.0f, 240.0f, 0.0f, size_t{0}, false, 3, 1234, 4, 2),
              std::make_tuple(ship->x, ship->y, ship->vx, ship->bullets.size(), ship->destroyed || ship->isExploding(),
                              ship->lives, ship->score, ship->charges[2], ship->selectedSpecial));
}

TEST_F(Enemies, EachKindTravelsShootsAndScoresByItsOwnRules)
{
    // Travel per step on each axis; steps between shots (0: none) and their speed (0: mines, which stay put).
    struct Kind { float speed; bool chases; int shotEvery, shotSpeed, hits, points; };
    const Kind kinds[] = {{0.8f, false, 0, 0, 1, 10}, {0.3f, false, 0, 0, 2, 20}, {0.25f, false, 200, 0, 1, 30},
                          {1.5f, false, 0, 0, 1, 40}, {0.4f, false, 150, 4, 1, 70}, {0.3f, true, 500, 3, 1, 110},
                          {1.25f, true, 0, 0, 1, 200}};
    for (int kind = 0; kind < 7; ++kind) {
        const Kind& k = kinds[kind];
        SCOPED_TRACE(kind);
        clearField();
        Enemy* e = make(kind);
        std::tie(e->x, e->y, e->destX, e->destY) = std::make_tuple(300.0f, 200.0f, 500, 400);
        advanceTicks(100); // past the second it entered
        e->move(100, 50);  // the ship up and to the left, the destination the other way
        const float way = k.chases ? -k.speed : k.speed;
        EXPECT_EQ(std::make_pair(300 + way, 200 + way), std::make_pair(e->x, e->y));
        std::vector<int> shotSteps, expected;
        for (int step = 2; step <= 1001; ++step) {
            const size_t before = e->bullets.size();
            e->move(100, 50);
            if (e->bullets.size() > before)
                shotSteps.push_back(step);
        }
        for (int s = k.shotEvery + 1; k.shotEvery > 0 && s <= 1001; s += k.shotEvery)
            expected.push_back(s);
        EXPECT_EQ(expected, shotSteps);
        for (const Bullet& b : e->bullets)
            EXPECT_TRUE(b.vx >= 0 && b.vy >= 0 && std::abs(b.vx + b.vy - k.shotSpeed) < 1e-5f);

        // Shot by the ship until destroyed: its points are scored, its own shots vanish.
        const int score = ship->score;
        int hits = 0;
        for (; !e->killed && hits < 5; ++hits) {
            const Spot s = overlapSpot(ship->bulletMask, e->masks[e->frame], static_cast<int>(e->x),
                                       static_cast<int>(e->y));
            ship->bullets.push_back(Bullet(s.x, s.y, 0, 0, ship->bulletSprite, ship->bulletMask));
            game->checkBullets(ship->bullets);
        }
        EXPECT_EQ(std::make_tuple(k.hits, k.points, size_t{0}),
                  std::make_tuple(hits, ship->score - score, e->bullets.size()));
    }
}

TEST_F(Enemies, EnterFiftySevenInFromEitherSideAtMidHeightAndHeadForTheOpenField)
{
    for (int n = 0; n < 70; ++n) {
        const Enemy* e = make(n % 7);
        const int w = e->images[0]->w;
        EXPECT_TRUE((e->x == 57 || e->x == W - w - 57) && e->y == H / 2 - e->images[0]->h / 2) << e->x << ", " << e->y;
    }

    // Over many draws destinations keep 60 from the left, 65 from the right and
    // their bottom 40 above the screen's, out of the status line; and reach those limits.
    for (int kind = 0; kind < 7; ++kind) {
        Enemy* e = make(kind);
        const int w = e->images[0]->w, h = e->images[0]->h;
        int slack[4] = {W, W, H, H};
        for (int i = 0; i < 3000; ++i, e->findNewDest()) {
            const int s[4] = {e->destX - 60, W - w - 65 - e->destX, e->destY - 17, H - 40 - h - e->destY};
            for (int b = 0; b < 4; ++b)
                slack[b] = std::min(slack[b], s[b]);
        }
        for (int b = 0; b < 4; ++b)
            EXPECT_TRUE(slack[b] >= 0 && slack[b] <= 3) << "kind " << kind << " bound " << b << ": " << slack[b];
    }
}

TEST_F(Enemies, StandStillForTheSecondTheyEnteredAndFlipFramesWithTheSecond)
{
    for (const int ticksIntoSecond : {0, 99}) {
        advanceTicks(ticksIntoSecond);
        Enemy* e = make(0);
        const float x = e->x;
        int still = 0;
        for (int step = 0; step < 300; ++step, advanceTicks(1)) {
            e->move(0, 0);
            EXPECT_EQ(seconds % 2, e->frame);
            still += still == step && e->x == x;
        }
        EXPECT_EQ(100 - ticksIntoSecond, still) << "entered " << ticksIntoSecond << " ticks into a second";
    }
}

TEST_F(Enemies, ArriveStrictlyWithinTheirSpeedPlusOneOnBothAxes)
{
    Enemy* e = make(3); // 1.5 per step, heading for (300, 200)
    advanceTicks(100);
    struct Row { float x, y; bool arrives; };
    const Row rows[] = {{296, 200, false}, {296.5f, 200, true}, {304, 200, false}, {303.5f, 200, true},
                        {300, 196, false}, {300, 196.5f, true}, {300, 204, false}, {100, 200, false}};
    for (const Row& r : rows) {
        std::tie(e->x, e->y, e->destX, e->destY) = std::make_tuple(r.x, r.y, 300, 200);
        e->move(0, 0);
        EXPECT_EQ(r.arrives, e->destX != 300 || e->destY != 200) << "from " << r.x << ", " << r.y;
    }
}

TEST_F(Enemies, TakeDamageSoundsAndExplodesByCause)
{
    struct Row { int kind, damage, cause; bool sound, soundOn, killed; size_t hitSounds, dieSounds; int explosion; };
    const Row rows[] = {{1, 1, 2, true, true, false, 1, 0, 0},  // kind 1 survives its first hit
                        {1, 1, 2, false, true, false, 1, 0, 0}, // the flag silences only the death
                        {0, 1, 2, true, true, true, 0, 1, 29},  {0, 10, 1, true, true, true, 0, 1, 0}, // rammed
                        {0, 10, 2, false, true, true, 0, 0, 29}, {0, 1, 2, true, false, true, 0, 0, 29}};
    for (const Row& r : rows) {
        soundOn = r.soundOn;
        testSeam.sounds.clear();
        Enemy* e = make(r.kind);
        advanceTicks(100); // free to travel, but for its explosion
        e->bullets.push_back(Bullet(1, 1, 0, 0, e->bulletSprite, e->masks[2]));
        e->takeDamage(r.damage, r.cause, r.sound);
        int steps = 0;
        for (; e->isExploding() && steps < 100; ++steps)
            e->move(0, 0);
        EXPECT_EQ(std::make_tuple(r.killed, r.killed ? 0u : 1u, r.hitSounds, r.dieSounds, r.explosion),
                  std::make_tuple(e->killed, e->bullets.size(), playsOf(e->hitSample).size(),
                                  playsOf(e->dieSample).size(), steps))
            << "row " << &r - rows;
    }
}

TEST_F(Enemies, MoveBackPushesAwayFromTheShipToTheBandAndFreezes)
{
    Enemy* e = make(0);
    const float w = e->images[0]->w, h = e->images[0]->h, right = W - 10 - w, bottom = H - 10 - h;
    struct Row { float x, y; int shipX, shipY; float toX, toY; }; // to the band along the diagonal
    const Row rows[] = {{300, 100, 400, 300, 217, 17}, {30, 150, 200, 300, 0, 120},
                        {100, 300, 50, 50, bottom - 200, bottom}, {500, 300, 500, 300, right, right - 200}, // level
                        {0, 200, 300, 300, 0, 200}}; // already at the left edge
    for (const Row& r : rows) {
        advanceTicks(100); // free to travel until pushed
        std::tie(e->x, e->y, e->destX, e->destY) = std::make_tuple(r.x, r.y, 320, 240);
        e->moveBack(r.shipX, r.shipY);
        e->move(0, 0); // frozen for the rest of the second
        EXPECT_EQ(std::make_pair(r.toX, r.toY), std::make_pair(e->x, e->y)) << "row " << &r - rows;
    }
}

TEST_F(FieldObjects, BounceLookAheadAndShotsOffTheScreen)
{
    BITMAP* sprite = game->fixedObjects[4]->sprite; // the wandering bonus
    const int w = sprite->w, h = sprite->h;
    SAMPLE* bounce = sampleAt(game->sfxData, SFX_BONUS_BOUNCE);
    struct Row { int x, y, dx, dy, toDx, toDy, pan; }; // pan -1: no bounce
    const Row rows[] = {
        {18, 100, -1, 0, -1, 0, -1}, {17, 100, -1, 0, 1, 0, panFor(16)}, {17, 100, -4, 3, 4, 3, 5}, // 13 / 640 x 255
        {W - w - 1, 100, 1, 0, 1, 0, -1}, {W - w, 100, 1, 0, -1, 0, panFor(W - w + 1)},
        {100, 18, 0, -1, 0, -1, -1}, {100, 17, 0, -1, 0, 1, panCentre},
        {100, H - h - 1, 0, 1, 0, 1, -1}, {100, H - h, 0, 1, 0, -1, panCentre},
        {W - w, H - h, 1, 1, -1, 1, panFor(W - w + 1)},    // a corner: sideways in one step,
        {W - w + 1, H - h + 1, -1, 1, -1, -1, panCentre}, // then downwards in the next
    };
    for (const Row& r : rows) {
        testSeam.sounds.clear();
        Object o(r.x, r.y, OBJ_WANDERING_BONUS, sprite, r.dx, r.dy);
        o.move(bounce);
        const auto plays = playsOf(bounce);
        EXPECT_EQ(std::make_tuple(r.x + r.dx, r.y + r.dy, r.toDx, r.toDy, r.pan < 0 ? 0u : 1u, r.pan),
                  std::make_tuple(o.x, o.y, o.dx, o.dy, plays.size(), plays.empty() ? -1 : plays[0].pan))
            << "row " << &r - rows;
    }

    // Near an edge: within two steps' travel along the speed; a shot touching an edge is inside.
    struct Near { int x, y, dx, dy; bool atEdge; };
    const Near nears[] = {{W - w - 5, 200, 3, 0, true}, {W - w - 5, 200, 2, 0, false}, {W - w - 5, 200, -3, 0, false},
                          {5, 200, 3, 0, true}, {5, 200, -3, 0, false}, {-7, 200, -3, 0, true}, {300, 9, 0, 5, true},
                          {300, 9, 0, 4, false}, {300, H - h - 8, 0, 4, false}, {300, H - h - 8, 0, 5, true}};
    for (const Near& n : nears)
        EXPECT_EQ(n.atEdge, Object(n.x, n.y, OBJ_HAZARD, sprite, n.dx, n.dy).isAtEdge()) << &n - nears;
    struct Shot { float x, y; bool outside; };
    const float right = W - w, bottom = H - h; // touching the right and bottom edges
    const Shot shots[] = {{0, 0, false},         {right, bottom, false}, {-0.001f, 9, true},
                          {right + 0.25f, 9, true}, {9, -0.001f, true},   {9, bottom + 0.25f, true}};
    for (const Shot& s : shots)
        EXPECT_EQ(s.outside, Bullet(s.x, s.y, 0, 0, sprite, nullptr).checkForOutside()) << s.x << ", " << s.y;
}

} // namespace
