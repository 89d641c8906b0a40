// The layout editor of board2d at a 1280 x 700 view: what one click costs from the mouse to the
// composed frame (finding the cell, rebuilding and numbering the layout, menu and status, drawing
// every position), and what a pointer move into a new cell costs when the hint tile moves.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include "shell/command_ids.h"
#include "shell/edition_2d/game_app_2d.h"
#include "tests/support/recording_window.h"
#include "tests/support/scripted_desktop.h"

namespace fs = std::filesystem;

namespace {

class SilentApp : public GameApp2D {
public:
    explicit SilentApp(ShellDesktop& desktop) : GameApp2D(desktop) {}
    void ShowSplash() override {}
    void CloseSplash() override {}
    bool HasWaveDevice() override { return false; }
    void PlayMusic() override {}
    void PlayEffect(int) override {}
};

// board2d started in a copy of the shipped game folder, in the editor with an empty layout.
struct EditorRun {
    EditorRun() {
        char pattern[] = "/tmp/varnel-editor-bench-XXXXXX";
        const char* made = mkdtemp(pattern);
        folder = made != nullptr ? made : "/tmp/varnel-editor-bench";
        fs::copy(GAME_DATA_DIR, folder, fs::copy_options::recursive);
        app = std::make_unique<SilentApp>(desktop);
        app->SetStartFolder(folder);
        app->OfferFirstRunLanguage();
        app->LoadSettings();
        app->AttachWindow(&window);
        app->StartGame();
        app->ExecuteCommand(command::EDIT_LAYOUT);
        app->ExecuteCommand(command::NEW_LAYOUT);
    }
    ~EditorRun() {
        app.reset();
        std::error_code error;
        fs::remove_all(folder, error);
    }

    // The middle of the face area of a cell, where a click finds it.
    void CellPoint(int layer, int row, int column, int& x, int& y) const {
        const EditorCellShape shape = app->View().EditorShape();
        const int cell = CellIndex(layer, row, column);
        x = app->editor.cellX[cell] + shape.offsetX + shape.width / 2;
        y = app->editor.cellY[cell] + shape.height / 2;
    }

    std::string folder;
    ScriptedDesktop desktop;
    RecordingWindow window;
    std::unique_ptr<SilentApp> app;
};

// A left click that adds a position and a right click that takes it away again, on a layout of
// about 140 positions, so every frame draws a nearly full board.
void BM_EditorClickAddAndRemove(benchmark::State& state) {
    EditorRun run;
    for (int row = 0; row <= 14; row += 2) {
        for (int column = 0; column <= 32; column += 2) {
            int x = 0;
            int y = 0;
            run.CellPoint(0, row, column, x, y);
            run.app->OnLeftButtonDown(x, y);
        }
    }
    int x = 0;
    int y = 0;
    run.CellPoint(0, 18, 10, x, y);
    for (auto _ : state) {
        run.app->OnLeftButtonDown(x, y);
        run.app->OnRightButtonDown(x, y);
    }
    state.counters["positions"] = run.app->editor.positionCount;
    state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_EditorClickAddAndRemove)->Unit(benchmark::kMillisecond);

// The pointer crossing from one cell into the next: the hint tile moves and the frame is
// composed again.
void BM_EditorPointerIntoANewCell(benchmark::State& state) {
    EditorRun run;
    int x[2];
    int y[2];
    run.CellPoint(0, 8, 10, x[0], y[0]);
    run.CellPoint(0, 8, 12, x[1], y[1]);
    int i = 0;
    for (auto _ : state) {
        run.app->OnPointerMoved(PointerState{x[i], y[i]});
        i ^= 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditorPointerIntoANewCell)->Unit(benchmark::kMillisecond);

// The pointer moving within one cell: the hint stays, nothing is drawn.
void BM_EditorPointerWithinACell(benchmark::State& state) {
    EditorRun run;
    int x = 0;
    int y = 0;
    run.CellPoint(0, 8, 10, x, y);
    int d = 0;
    for (auto _ : state) {
        run.app->OnPointerMoved(PointerState{x + d, y});
        d ^= 1;
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditorPointerWithinACell);

}  // namespace

BENCHMARK_MAIN();
