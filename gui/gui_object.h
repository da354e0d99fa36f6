// The base of on-screen widgets: a rectangle that is polled, then drawn.
#pragma once

struct BITMAP;

class GuiObject {
public:
    int x;
    int y;
    int width;
    int height;

    GuiObject(int x, int y, int width, int height) : x(x), y(y), width(width), height(height) {}

    virtual void Update() = 0;
    virtual void Draw(BITMAP* target) = 0;

protected:
    // Widgets are deleted through their own type; Update and Draw stay the
    // only virtual operations.
    ~GuiObject() = default;
};
