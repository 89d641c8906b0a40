// The hall of fame of each layout: the ten fastest wins with the winners' names, kept in a
// 400-byte file named after the layout in the scores folder, and the win that enters it.
#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "core/core_files_local.h"
#include "core/game_core.h"
#include "settings/resource_folders.h"

namespace {

// The winner's name as the dialog allows it: at most 21 characters, and never more bytes than
// the entry's field holds (22 and its terminating zero), cut between UTF-8 characters.
void CopyWinnerName(const std::string& typed, char (&name)[23]) {
    std::size_t end = 0;
    int characters = 0;
    while (end < typed.size() && characters < 21) {
        std::size_t next = end + 1;
        while (next < typed.size() && (static_cast<unsigned char>(typed[next]) & 0xC0) == 0x80) {
            ++next;
        }
        if (next > sizeof name - 1) {
            break;
        }
        end = next;
        ++characters;
    }
    std::memset(name, 0, sizeof name);
    std::memcpy(name, typed.data(), end);
}

std::string FieldText(const char* field, std::size_t size) {
    return std::string(field, strnlen(field, size));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// The table and its file
// ---------------------------------------------------------------------------------------------

void Board::FillDefaultHall() {
    for (int k = 0; k < kHallEntries; ++k) {
        hall[static_cast<std::size_t>(k)] = DefaultHallEntry(k);
    }
}

bool Board::LoadHall() {
    // "Default.tvl" keeps its hall in Default.TVS; a name without a dot gets ".TVS" appended.
    hallFileName = ReplaceExtension(layoutFileName, ".TVS");
    std::uint8_t bytes[kHallFileBytes];
    if (!files::ReadExactFile(ResolveInFolder(scoresFolder, hallFileName), bytes, sizeof bytes)) {
        FillDefaultHall();
        return false;
    }
    return ReadHall(bytes, sizeof bytes);
}

bool Board::ReadHall(const std::uint8_t* data, std::size_t size) {
    if (data == nullptr || size != kHallFileBytes) {
        FillDefaultHall();
        return false;
    }
    for (int k = 0; k < kHallEntries; ++k) {
        ReadHallEntry(data + k * kHallEntryBytes, k, hall[static_cast<std::size_t>(k)]);
    }
    return true;
}

bool Board::SaveHall() {
    hallFileName = ReplaceExtension(layoutFileName, ".TVS");
    if (scoresFolder.empty()) {
        return false;
    }
    std::uint8_t bytes[kHallFileBytes];
    for (int k = 0; k < kHallEntries; ++k) {
        WriteHallEntry(hall[static_cast<std::size_t>(k)], bytes + k * kHallEntryBytes);
    }
    return files::WriteFileReplacing(PathForWriting(scoresFolder, hallFileName), bytes,
                                     sizeof bytes);
}

void Board::SortHall(int lo, int hi) {
    // The partition of the original game, pivot on the last entry. The pivot stops the upward
    // scan and the j >= lo test the downward one, so both stay inside lo..hi for any seconds.
    if (lo >= hi) {
        return;
    }
    const std::int32_t p = hall[static_cast<std::size_t>(hi)].seconds;
    int i = lo - 1;
    int j = hi;
    for (;;) {
        ++i;
        while (hall[static_cast<std::size_t>(i)].seconds < p) {
            ++i;
        }
        --j;
        while (j >= lo && hall[static_cast<std::size_t>(j)].seconds > p) {
            --j;
        }
        if (i >= j) {
            break;
        }
        std::swap(hall[static_cast<std::size_t>(i)], hall[static_cast<std::size_t>(j)]);
    }
    std::swap(hall[static_cast<std::size_t>(i)], hall[static_cast<std::size_t>(hi)]);
    SortHall(lo, i - 1);
    SortHall(i + 1, hi);
}

// ---------------------------------------------------------------------------------------------
// The win
// ---------------------------------------------------------------------------------------------

void GameCore::CheckWin() {
    // A replay of autoplay empties the board too, but it is the computer's game, not a win.
    if (board.tilesLeft != 0 || board.WinHandled || AutoplayActive()) {
        return;
    }
    board.WinHandled = 1;  // the chrono stops here
    if (board.Shuffled) {
        // The faces were dealt again during the game: its time is not one to compare.
        ShowMessage(LanguageText("MesWinShuffled"), MessageIcon::Information);
        return;
    }

    HallEntry& entry = board.hall[kHallEntries];
    entry = HallEntry{};
    entry.seconds = board.chronoSeconds;
    const std::string time = FormatTime(board.chronoSeconds);
    std::memcpy(entry.time, time.data(), std::min(time.size(), sizeof entry.time - 1));

    std::string typed;
    if (desktop != nullptr) {
        const DialogTexts texts{LanguageText("WINCAPTION"),
                                {LanguageText("HALLFAMETIME") + " : " + time,
                                 LanguageText("WINNAME"), LanguageText("OK")}};
        BoardUnlock unlock(*this);
        typed = desktop->AskWinnerName(texts);
    }
    CopyWinnerName(typed, entry.name);

    // A time equal to the tenth entry's does not enter the table.
    if (entry.seconds < board.hall[kHallEntries - 1].seconds) {
        board.SortHall(0, kHallEntries);
        HallOfFameDialog();
        if (board.LoadedGame) {
            ShowMessage(LanguageText("MesWinLoad"), MessageIcon::Information);
        } else if (!board.SaveHall()) {
            ShowMessage(board.hallFileName + " : " + LanguageText("MesWriteError"),
                        MessageIcon::Warning);
        }
    } else {
        ShowMessage(LanguageText("MesWinNoHall"), MessageIcon::Information);
    }
}

void GameCore::HallOfFameDialog() {
    if (desktop == nullptr) {
        return;
    }
    const DialogTexts texts{
        LanguageText("HALLFAMECAPTION"),
        {LanguageText("HALLFAMENAME"), LanguageText("HALLFAMETIME"), LanguageText("OK")}};
    std::vector<HallRow> rows;
    rows.reserve(kHallEntries);
    for (int k = 0; k < kHallEntries; ++k) {
        const HallEntry& e = board.hall[static_cast<std::size_t>(k)];
        rows.push_back(HallRow{FieldText(e.name, sizeof e.name), FieldText(e.time, sizeof e.time)});
    }
    BoardUnlock unlock(*this);
    desktop->ShowHallOfFame(texts, rows);
}
