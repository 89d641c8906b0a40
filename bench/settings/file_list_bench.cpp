// How long a menu's file list takes to build for 100, 10,000 and 100,000 files: from names
// already found (the sorting alone), from a folder on disc (search and sorting, as every menu
// build does), and, for comparison, the one-by-one insertion the menus used before.
#include <benchmark/benchmark.h>

#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "settings/resource_folders.h"

namespace {

namespace fs = std::filesystem;

// Layout names in the order a folder search gives them, a case twin for every tenth one.
std::vector<std::string> FoundNames(int count) {
    std::vector<std::string> names;
    for (int i = 0; names.size() < static_cast<size_t>(count); ++i) {
        char number[16];
        std::snprintf(number, sizeof number, "%06d", i);
        if (i % 10 == 0) {
            names.push_back(std::string("LAYOUT") + number + ".TVL");
        }
        names.push_back(std::string("Layout") + number + ".tvl");
    }
    names.resize(static_cast<size_t>(count));
    return names;
}

// The former insertion: each file in turn after the leading run of smaller entries.
void InsertOneByOne(const std::vector<std::string>& found, FileList& list) {
    list.clear();
    for (const std::string& name : found) {
        FileEntry entry{name, ReplaceExtension(name, "")};
        if (list.empty() || CompareNoCase(entry.displayName, list.front().displayName) < 0) {
            list.insert(list.begin(), std::move(entry));
            continue;
        }
        size_t at = 1;
        while (at < list.size() && CompareNoCase(list[at].displayName, entry.displayName) < 0) {
            ++at;
        }
        list.insert(list.begin() + static_cast<std::ptrdiff_t>(at), std::move(entry));
    }
}

// A scratch LAYOUTS folder of `count` files (hard links of one file, which are quick to make),
// removed at the end of the run. Made once per size, since the benchmark body runs several times.
class LayoutFolder {
public:
    explicit LayoutFolder(int count) {
        std::string pattern = (fs::temp_directory_path() / "varnel-list-bench-XXXXXX").string();
        if (mkdtemp(pattern.data()) == nullptr) {
            return;
        }
        path_ = pattern;
        fs::create_directories(path_ + "/LAYOUTS");
        std::string original;
        int links = 0;
        for (const std::string& name : FoundNames(count)) {
            // A file takes some 65,000 links at most.
            if (links++ % 50000 == 0) {
                original = path_ + "/original" + std::to_string(links);
                std::ofstream(original) << "x";
            }
            if (::link(original.c_str(), (Folder() + name).c_str()) != 0) {
                std::perror(name.c_str());
            }
        }
    }
    ~LayoutFolder() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    std::string Folder() const { return path_ + "/LAYOUTS/"; }

    static const LayoutFolder& OfSize(int count) {
        static std::map<int, std::unique_ptr<LayoutFolder>> made;
        std::unique_ptr<LayoutFolder>& folder = made[count];
        if (!folder) {
            folder = std::make_unique<LayoutFolder>(count);
        }
        return *folder;
    }

private:
    std::string path_;
};

void BM_MakeFileList(benchmark::State& state) {
    const std::vector<std::string> found = FoundNames(static_cast<int>(state.range(0)));
    FileList list;
    for (auto _ : state) {
        MakeFileList(found, list);  // the copy of the names is part of the cost
        benchmark::DoNotOptimize(list.data());
    }
    state.SetComplexityN(state.range(0));
}
BENCHMARK(BM_MakeFileList)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond)
    ->Complexity(benchmark::oNLogN);

void BM_InsertOneByOneAsBefore(benchmark::State& state) {
    const std::vector<std::string> found = FoundNames(static_cast<int>(state.range(0)));
    FileList list;
    for (auto _ : state) {
        InsertOneByOne(found, list);
        benchmark::DoNotOptimize(list.data());
    }
}
// 100,000 names would take a hundred times the 10,000 figure this way, close to a minute.
BENCHMARK(BM_InsertOneByOneAsBefore)->Arg(100)->Arg(10000)->Unit(benchmark::kMillisecond);

void BM_BuildFileListFromFolder(benchmark::State& state) {
    const LayoutFolder& folder = LayoutFolder::OfSize(static_cast<int>(state.range(0)));
    FileList list;
    for (auto _ : state) {
        benchmark::DoNotOptimize(BuildFileList(kLayoutPattern, folder.Folder(), list));
    }
    if (list.size() != static_cast<size_t>(state.range(0))) {
        state.SkipWithError("the folder does not hold the files");
    }
}
BENCHMARK(BM_BuildFileListFromFolder)
    ->Arg(100)
    ->Arg(10000)
    ->Arg(50000)
    ->Arg(100000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
