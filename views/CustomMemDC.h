// The context a view draws through while a run repaints it every step. A window's picture is
// kept off the screen already (its retained surface), and a paint reaches the screen only
// once it is finished, so the drawing goes straight into the target: the screen never shows
// a half-drawn picture.
#pragma once

class CDC;

class CustomMemDC
{
public:
    explicit CustomMemDC(CDC* target) : target_(target) {}
    CustomMemDC(const CustomMemDC&) = delete;
    CustomMemDC& operator=(const CustomMemDC&) = delete;

    CDC* operator->() const { return target_; }
    operator CDC*() const { return target_; }

private:
    CDC* target_;
};
