// board2d's start: settings and language, the main window with menus and toolbar, the pictures,
// the layout, the first deal and the first frame painted; then the resident memory. Runs on Qt's
// offscreen platform unless a display is given (QT_QPA_PLATFORM=xcb).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QLayout>
#include <QPixmap>

#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

#include "shell/game_app_2d.h"
#include "shell/main_window.h"
#include "shell/qt_desktop.h"

namespace fs = std::filesystem;

namespace {

// A game folder with the shipped files and a settings file, so no first-run dialog is shown.
std::string MakeGameFolder()
{
    char pattern[] = "/tmp/varnel-bench-XXXXXX";
    const char* made = mkdtemp(pattern);
    const std::string folder = made != nullptr ? made : "/tmp/varnel-bench";
    fs::copy(GAME_DATA_DIR, folder, fs::copy_options::recursive | fs::copy_options::overwrite_existing);
    std::ofstream(folder + "/TAVX2D.INI") << "; board2d\r\nLanguage           = \"English.txt\"\r\n";
    return folder;
}

long ResidentKilobytes()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmRSS:", 0) == 0) {
            return std::atol(line.c_str() + 6);
        }
    }
    return 0;
}

// The start-up of the program up to its first painted frame.
void StartOnce(const std::string& folder, benchmark::State* state)
{
    QtDesktop desktop;
    GameApp2D app(desktop);
    app.SetStartFolder(folder);
    app.OfferFirstRunLanguage();
    if (!app.LoadSettings()) {
        if (state != nullptr) {
            state->SkipWithError("settings could not be loaded");
        }
        return;
    }
    MainWindow window(app);
    app.AttachWindow(&window);
    desktop.SetOwner(&window);
    window.PlaceAt(WindowRect{0, 0, 1280, 800});
    window.layout()->activate();
    app.StartGame();
    window.show();
    // The first frame: the board widget painted with the composed picture.
    const QPixmap shown = window.Board()->grab();
    benchmark::DoNotOptimize(shown.cacheKey());
    QApplication::processEvents();
    app.AttachWindow(nullptr);
    desktop.SetOwner(nullptr);
}

void BM_StartToFirstFrame(benchmark::State& state)
{
    const std::string folder = MakeGameFolder();
    for (auto _ : state) {
        StartOnce(folder, &state);
    }
    std::error_code error;
    fs::remove_all(folder, error);
}
BENCHMARK(BM_StartToFirstFrame)->Unit(benchmark::kMillisecond)->Iterations(10);

// Resident memory with one game started and shown (the window kept open while measuring).
void BM_ResidentMemoryAfterStart(benchmark::State& state)
{
    const std::string folder = MakeGameFolder();
    long resident = 0;
    for (auto _ : state) {
        QtDesktop desktop;
        GameApp2D app(desktop);
        app.SetStartFolder(folder);
        app.OfferFirstRunLanguage();
        app.LoadSettings();
        MainWindow window(app);
        app.AttachWindow(&window);
        window.PlaceAt(WindowRect{0, 0, 1920, 1080});
        window.layout()->activate();
        app.StartGame();
        window.show();
        benchmark::DoNotOptimize(window.Board()->grab().cacheKey());
        QApplication::processEvents();
        resident = ResidentKilobytes();
        app.AttachWindow(nullptr);
    }
    state.counters["resident_MB"] = static_cast<double>(resident) / 1024.0;
    std::error_code error;
    fs::remove_all(folder, error);
}
BENCHMARK(BM_ResidentMemoryAfterStart)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

int main(int argc, char** argv)
{
    if (std::getenv("QT_QPA_PLATFORM") == nullptr) {
        setenv("QT_QPA_PLATFORM", "offscreen", 1);
    }
    QApplication application(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
