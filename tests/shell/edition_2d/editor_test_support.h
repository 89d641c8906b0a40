// Helpers of the layout editor tests: board2d's own application object with the real 2D view,
// started headless in a fresh game folder, and clicks aimed at editor cells through the cell
// tables and the cell rectangle the view itself uses.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "shell/edition_2d/game_app_2d.h"
#include "tests/shell/shell_test_support.h"

// board2d without sound, music or splash window; everything else is the program's own.
using EditorTestApp = QuietEdition<GameApp2D>;

struct ViewPoint {
    int x = 0;
    int y = 0;
};

class EditorTest : public ::testing::Test {
protected:
    void SetUp() override {
        app = std::make_unique<EditorTestApp>(desktop);
        app->SetStartFolder(folder.Path());
        app->OfferFirstRunLanguage();
        ASSERT_TRUE(app->LoadSettings());
        app->settings.removeTileTime = 0;  // pairs leave at once: no fade to wait for
        app->AttachWindow(&window);
        app->StartGame();
        ASSERT_GT(app->View().TileWidth(), 0) << "the shipped tile set did not load";
    }

    void TearDown() override {
        if (app) {
            app->StopAutoplay();
        }
    }

    // A point in the middle of the face area of editor cell (layer, row, column), where the
    // view's rectangle test finds that cell.
    ViewPoint CellPoint(int layer, int row, int column) const {
        const EditorCellShape shape = app->View().EditorShape();
        const int cell = CellIndex(layer, row, column);
        ViewPoint p{app->editor.cellX[cell] + shape.offsetX + shape.width / 2,
                    app->editor.cellY[cell] + shape.height / 2};
        EXPECT_TRUE(app->View().EditorCellHolds(layer, row, column, p.x, p.y));
        return p;
    }

    // The cell of `layer` that holds the point on screen, as the view tests it; -1 for none.
    int CellAt(int layer, ViewPoint p) const {
        for (int row = 0; row <= kLastTileRow; ++row) {
            for (int column = 0; column <= kLastTileColumn; ++column) {
                if (app->View().EditorCellHolds(layer, row, column, p.x, p.y)) {
                    return CellIndex(layer, row, column);
                }
            }
        }
        return -1;
    }

    void LeftClick(ViewPoint p) {
        app->OnPointerMoved(PointerState{p.x, p.y});
        app->OnLeftButtonDown(p.x, p.y);
    }
    void RightClick(ViewPoint p) {
        app->OnPointerMoved(PointerState{p.x, p.y});
        app->OnRightButtonDown(p.x, p.y);
    }
    void LeftClick(int layer, int row, int column) { LeftClick(CellPoint(layer, row, column)); }
    void RightClick(int layer, int row, int column) { RightClick(CellPoint(layer, row, column)); }

    // SAVE_LAYOUT as the window shows it now.
    bool SaveShownEnabled() const {
        const MenuItem* item = window.shownBar.Find(command::SAVE_LAYOUT);
        EXPECT_NE(item, nullptr);
        return item != nullptr && item->enabled;
    }

    std::string TilesStatus(int count) const {
        return std::to_string(count) + " " + app->Text(TextId::Tiles);
    }

    // The top-left cells of the editor's or the board's positions, in cell order.
    template <class Grid>
    static std::vector<int> Positions(const Grid& grid) {
        std::vector<int> cells;
        for (int cell = 0; cell < kCells; ++cell) {
            if (grid[cell] == 1) {
                cells.push_back(cell);
            }
        }
        return cells;
    }
    std::vector<int> EditorPositions() const { return Positions(app->editor.positionGrid); }
    std::vector<int> BoardPositions() const { return Positions(app->board.positionGrid); }

    // A copy of the frame the window would show now.
    std::vector<std::uint8_t> Frame() {
        std::vector<std::uint8_t> pixels;
        app->PaintFrame([&](const std::uint8_t* bgra, int, int height, int stride) {
            pixels.assign(bgra, bgra + static_cast<std::size_t>(height) * stride);
        });
        return pixels;
    }

    GameFolder folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<EditorTestApp> app;
};
