// Uses the window module: a window opened on whatever video driver SDL_VIDEODRIVER names (the
// test gives SDL's dummy driver, so that no display is needed), its size read back, closed.
// Prints: window: opened 320x240, closed yes
#include <mivra/Window.hpp>

#include <iostream>

int main()
{
    mivra::WindowBase window(mivra::VideoMode({320, 240}), "package test");
    if (!window.isOpen() || window.getSize() != mivra::Vector2u(320, 240))
        return 1;
    window.close();
    std::cout << "window: opened 320x240, closed " << (window.isOpen() ? "no" : "yes") << '\n';
    return 0;
}
