#pragma once
#include <string>

// Result codes of createWindow.
enum WindowResult {
    kWindowOk = 1,
    kWindowNoVideoMode = 2,
    kWindowNoSdl = 3,
};

// Initialises SDL (timer and video), opens a double-buffered OpenGL window and puts OpenGL into
// the default state every scene starts from. Render size, colour depth and extraFlag are
// accepted for the engine's sake and not used here.
int createWindow(const std::string& caption, int windowWidth, int windowHeight, int renderWidth,
                 int renderHeight, int colourDepth, bool fullscreen, bool extraFlag);

// Pins SDL's video driver to X11 unless the user chose one with SDL_VIDEODRIVER (without a
// display SDL 1.2 would fall back to text-console drivers that fill the terminal with control
// codes), and says whether that driver has a display to talk to: false with the reason when
// the driver is X11 and DISPLAY is not set.
bool displayAvailable(std::string* reason);

// Asks the windows opened after this call to wait for the vertical retrace on swap, where the
// driver allows it (the real-time run; offline rendering wants no such wait).
void requestVerticalSync(bool on);

// Asks the windows opened after this call to be borderless and placed at the desktop's top
// left corner: at the desktop's size this fills the screen without switching its mode.
void requestDesktopWindow(bool on);

// The size of the desktop (the screen's current mode), read before any window is opened;
// false when SDL cannot tell.
bool desktopSize(int* width, int* height);

// The default OpenGL state (also used by tests that make their own context).
void applyDefaultGlState(int windowWidth, int windowHeight);
