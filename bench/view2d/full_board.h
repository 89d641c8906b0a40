// A dealt board drawn by a 2D view with the shipped tile set and background, for the benchmarks
// and the frame-shot tool.
#pragma once

#include <memory>
#include <string>

#include "view2d/view2d.h"

struct FullBoardScene {
    std::unique_ptr<Board> board = std::make_unique<Board>();
    std::unique_ptr<EditorBoard> editor = std::make_unique<EditorBoard>();
    View2D view;
    bool tileSetLoaded = false;
    bool backgroundLoaded = false;

    // Deals `layout` from the shipped layouts (the whole 144 tiles stand) and loads the shipped
    // tile set and background into a view of width x height.
    FullBoardScene(int width, int height, const std::string& layout = "Default.tvl",
                   const std::string& tileSet = "Standard.jpg",
                   const std::string& background = "Mountain.jpg");
};
