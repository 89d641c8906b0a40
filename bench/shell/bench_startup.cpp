// board2d's start: settings and language, the main window with menus and toolbar, the pictures,
// the layout, the first deal and the first frame painted; then the resident memory. Runs on Qt's
// offscreen platform unless a display is given (QT_QPA_PLATFORM=xcb).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QPixmap>

#include <memory>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/edition_2d/game_app_2d.h"
#include "shell/main_window.h"
#include "shell/qt_desktop.h"

namespace fs = std::filesystem;

namespace {

// A game folder with the shipped files and a settings file, so no first-run dialog is shown.
std::string MakeGameFolder() {
    char pattern[] = "/tmp/varnel-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    const std::string folder = made != nullptr ? made : "/tmp/varnel-bench";
    fs::copy(GAME_DATA_DIR, folder,
             fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::ofstream(folder + "/TAVX2D.INI")
        << "; board2d\r\nLanguage           = \"English.txt\"\r\nLayout             = "
           "\"Default.tvl\"\r\nTileSet            = \"Standard.jpg\"\r\nBackground         = "
           "\"Mountain.jpg\"\r\nSound1             = \"Select.wav\"\r\nMusic              = "
           "\"Tune478.mid\"\r\n";
    return folder;
}

long ResidentKilobytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// One started program: the start-up up to the first painted frame happens in the constructor;
// the destructor takes it down again (not part of the measured start).
struct StartedGame {
    QtDesktop desktop;
    GameApp2D app{desktop};
    MainWindow window{app};
    bool started = false;

    StartedGame(const std::string& folder, int width, int height) {
        app.SetStartFolder(folder);
        app.OfferFirstRunLanguage();
        if (!app.LoadSettings()) {
            return;
        }
        app.AttachWindow(&window);
        desktop.SetOwner(&window);
        window.PlaceAt(WindowRect{0, 0, width, height});
        app.StartGame();
        window.show();
        // The first frame: the board widget painted with the composed picture.
        benchmark::DoNotOptimize(window.Board()->grab().cacheKey());
        QApplication::processEvents();
        started = true;
    }
    ~StartedGame() {
        app.AttachWindow(nullptr);
        desktop.SetOwner(nullptr);
    }
};

void BM_StartToFirstFrame(benchmark::State& state) {
    const std::string folder = MakeGameFolder();
    for (auto _ : state) {
        auto game = std::make_unique<StartedGame>(folder, 1280, 800);
        if (!game->started) {
            state.SkipWithError("the game did not start");
            break;
        }
        state.PauseTiming();
        game.reset();
        state.ResumeTiming();
    }
    std::error_code error;
    fs::remove_all(folder, error);
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

// Resident memory with one game started and shown at 1920 x 1080 (run it on its own:
// --benchmark_filter=Resident, so that no earlier start has grown the heap).
void BM_ResidentMemoryAfterStart(benchmark::State& state) {
    const std::string folder = MakeGameFolder();
    long resident = 0;
    for (auto _ : state) {
        StartedGame game(folder, 1920, 1080);
        resident = ResidentKilobytes();
    }
    state.counters["resident_MB"] = static_cast<double>(resident) / 1024.0;
    std::error_code error;
    fs::remove_all(folder, error);
}
BENCHMARK(BM_ResidentMemoryAfterStart)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv) {
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
