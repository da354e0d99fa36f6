#include "entities/player_ship.h"

#include "entities/object.h"
#include "entities/sound.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/seam.h"

#include <cstdlib>

namespace {

constexpr float maxSpeed = 4.5f;
constexpr double steeringPerMickey = 0.01; // pixels per step per mickey, before mouseSens
constexpr int stepsBetweenShots = 20;      // a shot needs more than this since the last
constexpr float explosionPerStep = 0.45f;  // explosion frames per logic step
constexpr int shipVolume = 200;
constexpr int firePitchLow = 950;          // shot pitch: 950..1050, drawn with rand()
constexpr int firePitchSpread = 101;
constexpr int extraLifePoints = 5000;      // an extra life every 5000 points
constexpr int extraLifePriority = 255;
constexpr int specialCount = 3;

constexpr int buttonFire = 1;   // mouse_b bit 0
constexpr int buttonSelect = 2; // mouse_b bit 1

} // namespace

PlayerShip::PlayerShip(DATAFILE* sprites, DATAFILE* explosion, SAMPLE* fire, SAMPLE* die,
                       SAMPLE* extraLife)
    : lives(5), extraLifeLevel(1), specialFired(false), score(0), explosionFrame(-1),
      explosionEnd(-1), x(screenWidth / 2), y(screenHeight / 2), vx(0), vy(0), fireHeld(false),
      selectHeld(false), specialHeld(false), destroyed(false), padDx(0), padDy(0), padFire(false),
      padSelect(false), padSpecial(false), fireTimer(0), charges{0, 0, 0},
      selectedSpecial(0), sprite(bitmapAt(sprites, SPR_SHIP)),
      bulletSprite(bitmapAt(sprites, SPR_SHIP_BULLET)), explosionData(explosion),
      spritesData(sprites), mask(create_allegro_pmask(sprite)),
      bulletMask(create_allegro_pmask(bulletSprite)),
      panelRuns(get_rle_sprite(bitmapAt(sprites, SPR_STATUS_PANEL))),
      iconRuns{get_rle_sprite(bitmapAt(sprites, SPR_WEAPON_ICON_FIRST)),
               get_rle_sprite(bitmapAt(sprites, SPR_WEAPON_ICON_FIRST + 1)),
               get_rle_sprite(bitmapAt(sprites, SPR_WEAPON_ICON_FIRST + 2))},
      lifeVoice(-1), fireSample(fire), dieSample(die), extraLifeSample(extraLife)
{
}

PlayerShip::~PlayerShip()
{
    destroy_pmask(mask);
    destroy_pmask(bulletMask);
    for (RLE_SPRITE* runs : {panelRuns, iconRuns[0], iconRuns[1], iconRuns[2]})
        if (runs)
            destroy_rle_sprite(runs);
}

bool PlayerShip::isExploding() const
{
    return explosionFrame >= 0 && explosionFrame < explosionEnd;
}

int PlayerShip::move(std::vector<Object*>& fixed)
{
    // The jingle keeps playing; releasing hands the voice back once it ends.
    if (lifeVoice != -1) {
        seam.releaseVoice(lifeVoice);
        lifeVoice = -1;
    }

    if (isExploding()) {
        explosionFrame += explosionPerStep;
        if (explosionFrame >= explosionEnd) {
            destroyed = true;
            explosionFrame = -1;
        }
        return 0;
    }

    for (ScoreText& text : scoreTexts)
        text.brightness -= 3;
    for (auto it = scoreTexts.begin(); it != scoreTexts.end();) {
        if (it->brightness < 1)
            it = scoreTexts.erase(it);
        else
            ++it;
    }

    const int buttons = seam.mouseButtons();

    // Fire along the speed from before this step's motion; a ship standing
    // still on either axis cannot shoot.
    const bool fireDown = (buttons & buttonFire) != 0 || padFire;
    if (fireDown && !fireHeld && vx != 0 && vy != 0 && fireTimer > stepsBetweenShots && !destroyed) {
        if (soundOn)
            seam.playSample(fireSample, shipVolume, panFor(x),
                            firePitchLow + rand() % firePitchSpread);
        bullets.push_back(Bullet(x + sprite->w / 2 - 1, y + sprite->h / 2 - 1, 2 * vx, 2 * vy,
                                 bulletSprite, bulletMask));
        fireTimer = 0;
    }
    fireHeld = fireDown;
    ++fireTimer;

    const bool selectDown = (buttons & buttonSelect) != 0 || padSelect;
    if (selectDown && !selectHeld)
        selectedSpecial = (selectedSpecial + 1) % specialCount;
    selectHeld = selectDown;

    const bool spaceDown = seam.keyDown(KEY_SPACE) || padSpecial;
    if (spaceDown && !specialHeld && charges[selectedSpecial] > 0) {
        specialFired = true;
        --charges[selectedSpecial];
    }
    specialHeld = spaceDown;

    int mx = 0;
    int my = 0;
    seam.mouseMickeys(&mx, &my);
    vx += mx * steeringPerMickey * mouseSens + padDx;
    vy += my * steeringPerMickey * mouseSens + padDy;
    if (vx > maxSpeed)
        vx = maxSpeed;
    else if (vx < -maxSpeed)
        vx = -maxSpeed;
    if (vy > maxSpeed)
        vy = maxSpeed;
    else if (vy < -maxSpeed)
        vy = -maxSpeed;

    x += vx;
    y += vy;

    switch (collisionDetect(fixed)) {
    case OBJ_OUT_SIDEWAYS:
        x -= vx;
        vx = 0;
        return 0;
    case OBJ_OUT_VERTICALLY:
        y -= vy;
        vy = 0;
        return 0;
    case OBJ_HAZARD:
        return 1;
    case OBJ_EXIT_GATE:
        return 2;
    case OBJ_WANDERING_BONUS:
        return 3;
    default:
        return 0;
    }
}

int PlayerShip::collisionDetect(std::vector<Object*>& fixed)
{
    if (x < 0 || x + sprite->w > screenWidth)
        return OBJ_OUT_SIDEWAYS;
    if (y < statusLineHeight || y + sprite->h > screenHeight)
        return OBJ_OUT_VERTICALLY;
    for (Object* object : fixed)
        if (check_pmask_collision(mask, object->mask, static_cast<int>(x), static_cast<int>(y),
                                  object->x, object->y))
            return object->type;
    return 0;
}

void PlayerShip::moveBullets()
{
    for (Bullet& bullet : bullets)
        bullet.move();
}

void PlayerShip::die(int cause)
{
    scoreTexts.clear();
    if (cause == 2) {
        explosionFrame = EXP_FIREBALL_FIRST;
        explosionEnd = EXP_FIREBALL_FIRST + EXP_FRAMES;
    } else {
        explosionFrame = EXP_BREAKUP_FIRST;
        explosionEnd = EXP_BREAKUP_FIRST + EXP_FRAMES;
    }
    if (soundOn)
        seam.playSample(dieSample, shipVolume, panFor(x), ownPitch);
    specialFired = false;
    specialHeld = false;
    fireHeld = false;
    fireTimer = 0;
    vx = 0;
    vy = 0;
}

void PlayerShip::addScore(int points, int x, int y)
{
    score += points;
    if (score >= extraLifePoints * extraLifeLevel) {
        if (soundOn) {
            // A jingle still held from earlier in this step is let go first,
            // so that no voice is ever lost.
            if (lifeVoice != -1)
                seam.releaseVoice(lifeVoice);
            lifeVoice = seam.allocateVoice(extraLifeSample);
            if (lifeVoice != -1) {
                seam.voiceSetPriority(lifeVoice, extraLifePriority);
                seam.voiceStart(lifeVoice);
            }
        }
        ++lives;
        ++extraLifeLevel;
    }
    if (x >= 0 && y >= 0)
        scoreTexts.push_back(ScoreText(points, x, y));
}

void PlayerShip::reset()
{
    bullets.clear();
    scoreTexts.clear();
    x = screenWidth / 2;
    y = screenHeight / 2;
    vx = 0;
    vy = 0;
    specialFired = false;
    destroyed = false;
    specialHeld = false;
    fireHeld = false;
    fireTimer = 0;
    explosionFrame = -1;
    int mx = 0;
    int my = 0;
    seam.mouseMickeys(&mx, &my);
}

void PlayerShip::clearScoreTexts()
{
    scoreTexts.clear();
}

void PlayerShip::draw(BITMAP* target, FONT* font)
{
    for (Bullet& bullet : bullets)
        bullet.draw(target);
    if (destroyed)
        return;
    const int left = static_cast<int>(x);
    const int top = static_cast<int>(y);
    if (isExploding()) {
        BITMAP* blast = bitmapAt(explosionData, static_cast<int>(explosionFrame));
        draw_sprite(target, blast, left + sprite->w / 2 - blast->w / 2,
                    top + sprite->h / 2 - blast->h / 2);
    } else {
        draw_sprite(target, sprite, left, top);
    }
    for (const ScoreText& text : scoreTexts)
        textprintf_centre_ex(target, font, text.x, text.y,
                             makecol(text.brightness, text.brightness, text.brightness), -1, "%d",
                             text.value);
}

void PlayerShip::drawInfo(BITMAP* target, int wave, FONT* font, int fps)
{
    const int text = makecol(150, 150, 150);
    drawStill(target, panelRuns, bitmapAt(spritesData, SPR_STATUS_PANEL), 0, 0);
    drawStill(target, iconRuns[selectedSpecial], bitmapAt(spritesData, SPR_WEAPON_ICON_FIRST + selectedSpecial),
              592, 3);
    textprintf_ex(target, font, 544, 0, text, -1, "x %d", lives);
    textprintf_ex(target, font, 197, 0, text, -1, "Score: %d", score);
    textprintf_ex(target, font, 300, 0, makecol(100, 100, 100), -1, "FPS: %d", fps);
    textprintf_ex(target, font, 608, 0, text, -1, "x %d", charges[selectedSpecial]);
    textprintf_ex(target, font, 5, 0, text, -1, "Wave: %d", wave);
    textprintf_ex(target, font, 90, 0, text, -1, "Bonus: %d", bonusScore.load());
}
