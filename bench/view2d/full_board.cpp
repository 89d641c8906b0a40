#include "bench/view2d/full_board.h"

FullBoardScene::FullBoardScene(int width, int height, const std::string& layout,
                               const std::string& tileSet, const std::string& background) {
    const std::string data = GAME_DATA_DIR;
    board->layoutsFolder = data + "/LAYOUTS/";
    board->layoutFileName = layout;
    board->millisecondSource = [] { return 478; };  // the same deal every run
    if (board->LoadLayout()) {
        board->Deal();
        board->UpdateFreeTiles();
    }
    view.sources.board = board.get();
    view.sources.editor = editor.get();
    view.Resize(width, height);
    backgroundLoaded = view.LoadBackground2D(data + "/BACKGRND/" + background);
    tileSetLoaded = view.LoadTileSet2D(data + "/TILESETS/" + tileSet);
}
