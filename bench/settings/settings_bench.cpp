// How long the settings work takes that the game repeats: rebuilding a file list (every menu
// build), finding a name in another case, reading a language file and the configuration file.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>

#include "settings/language.h"
#include "settings/settings.h"

namespace {

namespace fs = std::filesystem;

// A scratch game folder with `files` layouts, removed at the end.
class ScratchGame {
public:
    explicit ScratchGame(int files) {
        std::string pattern = (fs::temp_directory_path() / "varnel-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) != nullptr) {
            path_ = pattern;
        }
        fs::create_directories(path_ + "/LAYOUTS");
        fs::create_directories(path_ + "/LANGUAGE");
        fs::create_directories(path_ + "/TILESETS");
        for (int i = 0; i < files; ++i) {
            // Reverse order so that the sorted insertion has real work to do.
            std::ofstream(path_ + "/LAYOUTS/Layout" + std::to_string(files - i) + ".tvl") << "x";
        }
        fs::copy_file(fs::path(GAME_DATA_DIR) / "LANGUAGE" / "English.txt",
                      path_ + "/LANGUAGE/English.txt");
        std::ofstream(path_ + "/TILESETS/Standard.jpg") << "x";
    }
    ~ScratchGame() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

void BM_BuildFileList(benchmark::State& state) {
    ScratchGame game(static_cast<int>(state.range(0)));
    const ResourceFolders folders = MakeResourceFolders(game.Path());
    FileList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildFileList(kLayoutPattern, folders.layouts, list));
    }
}
BENCHMARK(BM_BuildFileList)->Arg(20)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_ResolveNameInAnotherCase(benchmark::State& state) {
    ScratchGame game(static_cast<int>(state.range(0)));
    const ResourceFolders folders = MakeResourceFolders(game.Path());
    for (auto _ : state) {
        benchmark::DoNotOptimize(FileExistsInFolder(folders.layouts, "LAYOUT1.TVL"));
    }
}
BENCHMARK(BM_ResolveNameInAnotherCase)->Arg(20)->Arg(500)->Unit(benchmark::kMicrosecond);

void BM_LoadEnglish(benchmark::State& state) {
    const ResourceFolders folders = MakeResourceFolders(GAME_DATA_DIR);
    LanguageTexts texts;
    for (auto _ : state) {
        benchmark::DoNotOptimize(texts.LoadLanguage(folders, "English.txt"));
    }
}
BENCHMARK(BM_LoadEnglish)->Unit(benchmark::kMicrosecond);

void BM_SaveAndLoadSettings(benchmark::State& state) {
    ScratchGame game(20);
    const ResourceFolders folders = MakeResourceFolders(game.Path());
    const ScreenMetrics screen{1920, 1080, 4, 4, 20};
    View3DSettingsHooks hooks;
    Settings settings;
    settings.language = "English.txt";
    settings.layout = "Layout1.tvl";
    LanguageTexts texts;
    for (auto _ : state) {
        SaveSettings(settings, folders, Edition::GL, screen, hooks);
        benchmark::DoNotOptimize(
            LoadSettings(settings, texts, folders, Edition::GL, screen, hooks).Usable());
    }
}
BENCHMARK(BM_SaveAndLoadSettings)->Unit(benchmark::kMicrosecond);

}  // namespace
