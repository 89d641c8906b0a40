// The splash window of start-up: a borderless window showing "Splash.bmp", centred in the screen's
// work area, from before the settings load until the first game is dealt. Qt stays in the .cpp.
#pragma once

#include <memory>
#include <string>

class Image;
class QWidget;

class SplashScreen {
public:
    SplashScreen();
    ~SplashScreen();
    SplashScreen(const SplashScreen&) = delete;
    SplashScreen& operator=(const SplashScreen&) = delete;

    // Reads the picture at `path` with the game's image reader and shows it at once, painted
    // before the call returns. False, and no window, when the picture has no pixels or there is
    // no screen to show it on.
    bool Show(const std::string& path);
    // Shows a picture already in memory.
    bool Show(const Image& picture);
    // Closes the window and frees the picture; nothing happens when none is shown.
    void Close();
    bool IsShown() const;
    // The shown window's top-left corner on the screen, and the size; false when none is shown.
    bool Geometry(int& x, int& y, int& width, int& height) const;
    // The window itself (screenshots, tests); null when none is shown.
    QWidget* Widget() const;

private:
    struct Shown;
    std::unique_ptr<Shown> shown_;
};

// Where a picture of `width` x `height` goes so that it is centred in the work area
// (`areaLeft`, `areaTop`, `areaWidth`, `areaHeight`). A picture larger than the area keeps its
// full size and starts at a negative offset.
void SplashPosition(int areaLeft, int areaTop, int areaWidth, int areaHeight, int width, int height,
                    int& x, int& y);
