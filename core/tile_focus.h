// The keyboard focus on the board: which tile Tab, the direction keys and the layer keys move it
// to, and how a focused tile is read out in words. Only tiles standing on the board are ever
// chosen, so the focus can never rest on a removed tile; Tab visits free tiles only.
#pragma once

#include <functional>
#include <string>

#include "core/board.h"

// Where a direction key moves the focus, as the board is seen (rows grow downwards).
enum class FocusDirection { Left, Right, Up, Down };

// Whether tile t stands on the board (dealt and not removed, at a place inside the grid).
bool TileOnBoard(const Board& board, int t);

// Tab (forwards) and Shift+Tab (backwards): the next free tile in reading order after tile
// `from` (top row first, left to right, the higher layer first where two share a place). From
// NoTile, or past the last free tile, it wraps to the first (or last). `from` may be a removed
// tile: its place still orders it. NoTile when no tile is free.
int NextFreeTile(const Board& board, int from, bool forwards);

// hjkl and Ctrl+arrows: the nearest tile on the board in direction `direction` of tile `from`,
// on `from`'s layer. Nearness counts the distance across the direction twice, so the focus
// keeps to its row or column where it can. `from` itself when no tile lies that way; NoTile
// when `from` is NoTile.
int NearestInDirection(const Board& board, int from, FocusDirection direction);

// Ctrl+Page Up (`step` +1, up) and Ctrl+Page Down (-1, down): the tile nearest to `from`'s place
// on the next layer in that direction that holds any tile; `from` itself when there is none.
int TileOnNextLayer(const Board& board, int from, int step);

// The focus after the board changed (a removal, undo, a new deal): `focus` when it still stands
// on the board, else the next free tile after its place in reading order, else any tile left.
int KeepFocusOnBoard(const Board& board, int focus);

// How many pairs of free tiles match now (the pairs a player could remove).
int FreePairs(const Board& board);

// The texts a focused tile is read out with, by language key ("AccBamboo", "AccFree", ...).
using FocusTextLookup = std::function<std::string(const char* key)>;

// The name of face `face` in the player's language: "Bamboo 3", "Red dragon". Empty for a face
// outside 0..41.
std::string FaceName(int face, const FocusTextLookup& text);

// The focused tile as a screen reader says it: "Bamboo 3, free, layer 2", or "Red dragon,
// blocked, layer 1, selected". Empty for a tile not on the board.
std::string DescribeTile(const Board& board, int t, const FocusTextLookup& text);

// "%1" in `pattern` replaced by `first` and "%2" by `second`, so that each language puts the
// numbers and names where its grammar wants them.
std::string FillText(std::string pattern, const std::string& first,
                     const std::string& second = std::string());
