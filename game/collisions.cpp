// The collision rules of one logic step: shots against enemies, enemy shots
// against the ship, the ship against enemies and the wave's objects.
#include "game/main_game.h"

#include "entities/enemy.h"
#include "entities/object.h"
#include "entities/player_ship.h"
#include "pmask/pmask.h"
#include "shell/al.h"
#include "shell/catalogue.h"
#include "shell/globals.h"
#include "shell/seam.h"

#include <algorithm>

namespace {

bool shipExploding(const PlayerShip* ship) { return ship->explosionFrame >= 0; }

int panOf(float x) { return static_cast<int>(x / screenWidth * 255); }

void eraseHitBullets(std::vector<Bullet>& bullets)
{
    bullets.erase(std::remove_if(bullets.begin(), bullets.end(), [](const Bullet& b) { return b.hit; }),
                  bullets.end());
}

// Deletes the flagged objects, keeping the order of the rest.
void deleteHitObjects(std::vector<Object*>& objects)
{
    auto kept = std::stable_partition(objects.begin(), objects.end(), [](const Object* o) { return !o->hit; });
    for (auto it = kept; it != objects.end(); ++it)
        delete *it;
    objects.erase(kept, objects.end());
}

} // namespace

// Called by the play loop with the ship's bullets, after the enemies and the
// bullets have moved.
void MainGameClass::checkBullets(std::vector<Bullet>& bullets)
{
    for (Bullet& b : bullets) {
        if (b.checkForOutside())
            b.hit = true;
        for (Enemy* e : enemies) {
            if (check_pmask_collision(e->masks[e->frame], player->bulletMask, static_cast<int>(e->x),
                                      static_cast<int>(e->y), static_cast<int>(b.x), static_cast<int>(b.y))
                && e->hitPoints > 0) {
                e->takeDamage(1, 2, true);
                if (e->hitPoints <= 0 && bonusScore > 0)
                    player->addScore(e->points, static_cast<int>(e->x + e->images[0]->w / 2),
                                     static_cast<int>(e->y));
                b.hit = true;
            }
        }
    }
    eraseHitBullets(bullets);

    for (Enemy* e : enemies) {
        if (e->fireInterval < 0)
            continue;
        for (Bullet& b : e->bullets) {
            if (b.checkForOutside()) {
                b.hit = true;
                continue;
            }
            if (check_pmask_collision(e->masks[2], player->mask, static_cast<int>(b.x), static_cast<int>(b.y),
                                      static_cast<int>(player->x), static_cast<int>(player->y))
                && !shipExploding(player)) {
                player->die(2);
                b.hit = true;
            }
        }
        eraseHitBullets(e->bullets);
    }
}

// Called by the play loop after checkBullets, before the ship moves.
void MainGameClass::checkPlayerCollision()
{
    const int shipX = static_cast<int>(player->x);
    const int shipY = static_cast<int>(player->y);

    for (Enemy* e : enemies) {
        if (check_pmask_collision(player->mask, e->masks[e->frame], shipX, shipY, static_cast<int>(e->x),
                                  static_cast<int>(e->y))
            && !shipExploding(player) && !e->killed) {
            player->die(1);
            e->takeDamage(10, 1, true);
        }
        if (e->hitPoints <= 0 && e->explosionFrame >= 13)
            e->expired = true;
    }
    auto alive = std::stable_partition(enemies.begin(), enemies.end(), [](const Enemy* e) { return !e->expired; });
    for (auto it = alive; it != enemies.end(); ++it)
        delete *it;
    enemies.erase(alive, enemies.end());

    for (Object* c : collectables) {
        if (check_pmask_collision(player->mask, c->mask, shipX, shipY, c->x, c->y)) {
            c->hit = true;
            player->addScore(10, c->x, c->y);
            if (soundOn)
                seam.playSample(sampleAt(sfxData, SFX_COLLECTABLE), 200, panOf(player->x), 1000);
        }
    }
    for (size_t i = 0; i < collectables.size();) {
        if (!collectables[i]->hit) {
            ++i;
            continue;
        }
        delete collectables[i];
        collectables.erase(collectables.begin() + i);
        if (collectables.empty() && soundOn)
            seam.playSample(sampleAt(sfxData, SFX_ALL_COLLECTED), 200, 128, 1000);
    }
    if (collectables.empty())
        exitOpen = true;

    for (Object* h : hazards) {
        if (check_pmask_collision(player->mask, h->mask, shipX, shipY, h->x, h->y)) {
            h->hit = true;
            player->die(2);
        }
    }
    deleteHitObjects(hazards);

    for (Object* p : powerUps) {
        if (check_pmask_collision(player->mask, p->mask, shipX, shipY, p->x, p->y)) {
            p->hit = true;
            if (soundOn)
                seam.playSample(sampleAt(sfxData, SFX_PICKUP), 255, panOf(player->x), 1000);
            if (p->type == OBJ_POWERUP_FIRST)
                ++player->charges[0];
            else if (p->type == OBJ_POWERUP_FIRST + 2)
                ++player->charges[2];
            else
                ++player->charges[1];
        }
    }
    deleteHitObjects(powerUps);
}
