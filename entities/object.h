// A field object told apart by its type code: hazard (3), exit gate (4),
// collectable (5), wandering bonus (6), power-ups (7, 8, 9).
#pragma once

struct BITMAP;
struct PMASK;
struct RLE_SPRITE;
struct SAMPLE;

enum ObjectType {
    OBJ_OUT_SIDEWAYS = 1, // ship bound reports, never objects
    OBJ_OUT_VERTICALLY = 2,
    OBJ_HAZARD = 3,
    OBJ_EXIT_GATE = 4,
    OBJ_COLLECTABLE = 5,
    OBJ_WANDERING_BONUS = 6,
    OBJ_POWERUP_FIRST = 7 // 7, 8, 9: charges of special weapons 0, 1, 2
};

class Object {
public:
    PMASK* mask; // owned, built from sprite
    int x;
    int y;
    int type;
    int dx;
    int dy;
    bool hit;         // touched; the owner deletes it after the walk
    BITMAP* sprite;   // borrowed from sprites.dat
    RLE_SPRITE* runs; // owned, sprite as run-length data; null: drawn from sprite

    Object(int x, int y, int type, BITMAP* sprite, int dx, int dy);
    ~Object();
    Object(const Object&) = delete;
    Object& operator=(const Object&) = delete;

    void draw(BITMAP* target);
    // One step with bouncing; plays bounceSound on each bounce when soundOn.
    void move(SAMPLE* bounceSound);
    // Within two steps' travel of an edge in the direction of its speed.
    bool isAtEdge();
};

// A picture that never changes, drawn from its run-length data when there is
// some for the target's colour depth, else from the bitmap. Same pixels
// either way: the runs skip the clear pixels a run at a time where
// draw_sprite tests every pixel.
void drawStill(BITMAP* target, RLE_SPRITE* runs, BITMAP* sprite, int x, int y);
