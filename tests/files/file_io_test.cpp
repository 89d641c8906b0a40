#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <future>
#include <set>
#include <string>
#include <vector>

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include "files/file_io.h"
#include "files/file_io_local.h"

namespace fs = std::filesystem;

namespace {

// A fresh folder for one test, removed with everything in it afterwards.
class Folder {
public:
    Folder() {
        std::string pattern = (fs::temp_directory_path() / "files_test.XXXXXX").string();
        path_ = ::mkdtemp(pattern.data()) != nullptr ? pattern : std::string();
    }
    ~Folder() {
        std::error_code error;
        fs::remove_all(path_, error);
    }
    std::string operator/(const std::string& name) const { return path_ + "/" + name; }
    const std::string& Path() const { return path_; }

    void Write(const std::string& name, const std::string& bytes) const {
        std::ofstream(*this / name, std::ios::binary) << bytes;
    }
    std::string Read(const std::string& name) const {
        std::ifstream in(*this / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    std::set<std::string> Names() const {
        std::set<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.insert(entry.path().filename().string());
        }
        return names;
    }

private:
    std::string path_;
};

mode_t Mode(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? (status.st_mode & 07777) : 0;
}

bool Write(const std::string& path, const std::string& bytes) {
    return files::WriteFileReplacing(path, bytes);
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// Opening and reading
// ---------------------------------------------------------------------------------------------

TEST(FilesOpen, OnlyRegularFilesOpenAndNothingBlocks) {
    Folder folder;
    folder.Write("plain", "abc");
    ASSERT_EQ(::mkfifo((folder / "pipe").c_str(), 0600), 0);
    fs::create_directory(folder / "folder");
    fs::create_symlink(folder / "plain", folder / "to-plain");
    fs::create_symlink(folder / "pipe", folder / "to-pipe");
    struct Case {
        std::string path;
        bool opens;
    };
    const Case cases[] = {
        {folder / "plain", true},    {folder / "to-plain", true}, {folder / "pipe", false},
        {folder / "to-pipe", false}, {folder / "folder", false},  {"/dev/null", false},
        {"/dev/zero", false},        {folder / "missing", false}, {"", false},
    };
    for (const Case& c : cases) {
        // A pipe nobody writes to would hold a blocking open for ever: the open runs aside and
        // must be done well within the wait.
        auto opened = std::async(std::launch::async, [&c] {
            files::InputFile in(c.path);
            return std::make_pair(in.IsOpen(), files::IsReadableFile(c.path));
        });
        if (opened.wait_for(std::chrono::seconds(5)) != std::future_status::ready) {
            ADD_FAILURE() << c.path << " blocked";
            const int release = ::open((folder / "pipe").c_str(), O_RDWR);  // lets it go
            opened.wait();
            ::close(release);
            continue;
        }
        const auto [open, readable] = opened.get();
        EXPECT_EQ(open, c.opens) << c.path;
        EXPECT_EQ(readable, c.opens) << c.path;
    }

    files::InputFile in(folder / "plain");
    ASSERT_TRUE(in.IsOpen());
    EXPECT_EQ(in.Size(), 3u);
    EXPECT_EQ(std::fgetc(in.Stream()), 'a');
    EXPECT_FALSE(in.Open(folder / "folder"));  // a failed open leaves nothing open
    EXPECT_EQ(in.Stream(), nullptr);
    EXPECT_EQ(in.Size(), 0u);
}

TEST(FilesRead, WholeAndExactReadsKeepToTheirSizes) {
    Folder folder;
    folder.Write("ten", "0123456789");
    folder.Write("empty", "");
    struct Case {
        std::string name;
        std::uint64_t limit;
        bool read;
    };
    const Case whole[] = {
        {"ten", 10, true},  {"ten", 100, true},      {"ten", 9, false},
        {"empty", 0, true}, {"missing", 100, false},
    };
    for (const Case& c : whole) {
        std::vector<std::uint8_t> bytes{1, 2, 3};
        EXPECT_EQ(files::ReadWholeFile(folder / c.name, c.limit, bytes), c.read)
            << c.name << " " << c.limit;
        const std::string expected = c.read ? folder.Read(c.name) : std::string();
        EXPECT_EQ(std::string(bytes.begin(), bytes.end()), expected) << c.name << " " << c.limit;
    }
    std::vector<std::uint8_t> bytes{1};
    EXPECT_FALSE(files::ReadWholeFile(folder.Path(), 1u << 20, bytes));
    EXPECT_TRUE(bytes.empty());

    for (std::size_t size : {9u, 10u, 11u}) {
        std::uint8_t buffer[16] = {};
        EXPECT_EQ(files::ReadExactFile(folder / "ten", buffer, size), size == 10) << size;
    }
    std::uint8_t buffer[10] = {};
    ASSERT_TRUE(files::ReadExactFile(folder / "ten", buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer, buffer + 10), "0123456789");
    EXPECT_FALSE(files::ReadExactFile(folder / "missing", buffer, 0));
}

// ---------------------------------------------------------------------------------------------
// Replacing writes
// ---------------------------------------------------------------------------------------------

TEST(FilesWrite, ReplacesTheFileKeepsItsPermissionsAndLeavesNothingBeside) {
    Folder folder;
    ASSERT_TRUE(Write(folder / "new", "first"));
    EXPECT_EQ(folder.Read("new"), "first");
    EXPECT_EQ(Mode(folder / "new"), 0644u);

    for (mode_t mode : {0600u, 0640u, 0604u, 0444u}) {
        ASSERT_EQ(::chmod((folder / "new").c_str(), mode), 0);
        const std::string bytes = "mode " + std::to_string(mode);
        ASSERT_TRUE(Write(folder / "new", bytes));
        EXPECT_EQ(folder.Read("new"), bytes);
        EXPECT_EQ(Mode(folder / "new"), mode);
    }
    ASSERT_TRUE(Write(folder / "new", ""));
    EXPECT_EQ(folder.Read("new"), "");
    EXPECT_EQ(folder.Names(), std::set<std::string>{"new"});
}

TEST(FilesWrite, SymbolicLinksAreNeverWrittenThrough) {
    Folder folder;
    folder.Write("victim", "precious");
    const std::string victim = folder / "victim";

    // A link under the target's name is replaced by the new file; what it led to stays.
    fs::create_symlink(victim, folder / "linked");
    ASSERT_TRUE(Write(folder / "linked", "new bytes"));
    EXPECT_FALSE(fs::is_symlink(folder / "linked"));
    EXPECT_EQ(folder.Read("linked"), "new bytes");
    EXPECT_EQ(folder.Read("victim"), "precious");

    // Links (one to a file, one leading nowhere) under the first temporary names: the write goes
    // round them to the next free name and leaves both, and what they lead to, untouched.
    const std::string target = folder / "game";
    fs::create_symlink(victim, files::TemporaryPath(target, "trap"));
    fs::create_symlink(folder / "nowhere", files::TemporaryPath(target, "void"));
    const char* names[] = {"trap", "void", "free"};
    int asked = 0;
    auto source = [&](int attempt) {
        ++asked;
        return std::string(names[attempt < 3 ? attempt : 2]);
    };
    const std::string bytes = "saved game";
    ASSERT_TRUE(files::WriteFileReplacingWith(
        target, reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size(), source));
    EXPECT_EQ(asked, 3);
    EXPECT_EQ(folder.Read("game"), bytes);
    EXPECT_EQ(folder.Read("victim"), "precious");
    EXPECT_FALSE(fs::exists(folder / "nowhere"));
    EXPECT_TRUE(fs::is_symlink(files::TemporaryPath(target, "trap")));
    EXPECT_TRUE(fs::is_symlink(files::TemporaryPath(target, "void")));
    EXPECT_FALSE(fs::exists(files::TemporaryPath(target, "free")));

    // Every name taken: the write gives up and the old file stays.
    auto alwaysTrap = [](int) { return std::string("trap"); };
    EXPECT_FALSE(files::WriteFileReplacingWith(target, reinterpret_cast<const std::uint8_t*>("x"),
                                               1, alwaysTrap));
    EXPECT_EQ(folder.Read("game"), bytes);
    EXPECT_EQ(folder.Read("victim"), "precious");
}

TEST(FilesWrite, AFailedWriteLeavesTheOldFileWhole) {
    Folder folder;
    const std::string old(200, 'o');
    folder.Write("keep", old);
    fs::create_directory(folder / "folder");
    const std::set<std::string> before = folder.Names();

    // The disc (here a file-size limit) fills up part way through the new bytes.
    std::fflush(nullptr);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 64;
    const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
    const bool written = Write(folder / "keep", std::string(1000, 'n'));
    ::setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, oldHandler);
    EXPECT_FALSE(written);
    EXPECT_EQ(folder.Read("keep"), old);

    // A folder under the target's name cannot be replaced; a missing folder holds no file.
    EXPECT_FALSE(Write(folder / "folder", "bytes"));
    EXPECT_TRUE(fs::is_directory(folder / "folder"));
    EXPECT_FALSE(Write(folder / "missing/keep", "bytes"));
    EXPECT_FALSE(Write("", "bytes"));
    EXPECT_FALSE(Write(folder.Path() + "/", "bytes"));

    // No temporary file is left behind by any of them.
    EXPECT_EQ(folder.Names(), before);
    ASSERT_TRUE(Write(folder / "keep", "fits"));
    EXPECT_EQ(folder.Read("keep"), "fits");
}

// ---------------------------------------------------------------------------------------------
// Little-endian bytes
// ---------------------------------------------------------------------------------------------

TEST(FilesBytes, LittleEndianPutsAndGetsRoundTrip) {
    struct Case32 {
        std::uint32_t value;
        std::uint8_t bytes[4];
    };
    const Case32 cases32[] = {
        {0x00000000u, {0x00, 0x00, 0x00, 0x00}},
        {0x12345678u, {0x78, 0x56, 0x34, 0x12}},
        {0xFFFFFFFEu, {0xFE, 0xFF, 0xFF, 0xFF}},
        {0x80000001u, {0x01, 0x00, 0x00, 0x80}},
    };
    for (const Case32& c : cases32) {
        std::uint8_t out[4] = {};
        files::PutLE32(out, c.value);
        EXPECT_EQ(std::vector<std::uint8_t>(out, out + 4),
                  std::vector<std::uint8_t>(c.bytes, c.bytes + 4));
        EXPECT_EQ(files::GetLE32(c.bytes), c.value);
    }
    struct Case16 {
        std::uint16_t value;
        std::uint8_t bytes[2];
    };
    const Case16 cases16[] = {{0x0000, {0x00, 0x00}},
                              {0x00FA, {0xFA, 0x00}},
                              {0xABCD, {0xCD, 0xAB}},
                              {0xFFFF, {0xFF, 0xFF}}};
    for (const Case16& c : cases16) {
        std::uint8_t out[2] = {};
        files::PutLE16(out, c.value);
        EXPECT_EQ(out[0], c.bytes[0]);
        EXPECT_EQ(out[1], c.bytes[1]);
        EXPECT_EQ(files::GetLE16(c.bytes), c.value);
    }
}
