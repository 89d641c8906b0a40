// The configuration file: defaults, the line grammar, the fallback checks and the written form.
#include "settings/settings.h"

#include <algorithm>
#include <charconv>
#include <climits>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <vector>

#include "files/file_io.h"
#include "settings/text_file_local.h"

namespace {

constexpr std::string_view kNoLanguageMessage =
    "No language file found ! The game will stop. Please reinstall Varnel's mah-jong";

// The C library's "%d": optional sign and at least one digit at the start of the token; the rest
// is ignored. Values beyond 32 bits saturate instead of being undefined.
bool ParseLeadingInt(std::string_view token, int& value) {
    size_t i = 0;
    bool negative = false;
    if (i < token.size() && (token[i] == '+' || token[i] == '-')) {
        negative = token[i] == '-';
        ++i;
    }
    if (i >= token.size() || token[i] < '0' || token[i] > '9') {
        return false;
    }
    long long magnitude = 0;
    for (; i < token.size() && token[i] >= '0' && token[i] <= '9'; ++i) {
        magnitude = std::min<long long>(magnitude * 10 + (token[i] - '0'), 1LL << 32);
    }
    const long long signedValue = negative ? -magnitude : magnitude;
    value = static_cast<int>(std::clamp<long long>(signedValue, INT_MIN, INT_MAX));
    return true;
}

// The C library's atoi: the leading number, 0 when there is none.
int LeadingIntOrZero(std::string_view token) {
    int value = 0;
    return ParseLeadingInt(token, value) ? value : 0;
}

// The C library's "%f" on a token: a leading real number. Values that are not finite are refused,
// since a camera at infinity shows nothing.
bool ParseLeadingFloat(std::string_view token, float& value) {
    bool negative = false;
    if (!token.empty() && (token.front() == '+' || token.front() == '-')) {
        negative = token.front() == '-';
        token.remove_prefix(1);
    }
    if (token.empty() || token.front() == '+' || token.front() == '-') {
        return false;
    }
    float parsed = 0.0f;
    const auto result = std::from_chars(token.data(), token.data() + token.size(), parsed);
    if (result.ec != std::errc() || !std::isfinite(parsed)) {
        return false;
    }
    value = negative ? -parsed : parsed;
    return true;
}

bool ReadColour(const std::vector<std::string_view>& tokens, Colour& colour) {
    if (tokens.size() < 5) {
        return false;
    }
    // Only the low eight bits of each number are kept: 300 is 44, -1 is 255.
    colour.red = static_cast<std::uint8_t>(LeadingIntOrZero(tokens[2]) & 0xFF);
    colour.green = static_cast<std::uint8_t>(LeadingIntOrZero(tokens[3]) & 0xFF);
    colour.blue = static_cast<std::uint8_t>(LeadingIntOrZero(tokens[4]) & 0xFF);
    colour.alpha = 255;
    return true;
}

bool ReadInt(const std::vector<std::string_view>& tokens, int& value) {
    return tokens.size() >= 3 && ParseLeadingInt(tokens[2], value);
}

bool ReadFlag(const std::vector<std::string_view>& tokens, bool& flag) {
    int value = 0;
    if (!ReadInt(tokens, value)) {
        return false;
    }
    flag = value != 0;
    return true;
}

bool ReadFloat(const std::vector<std::string_view>& tokens, float& value) {
    return tokens.size() >= 3 && ParseLeadingFloat(tokens[2], value);
}

// The longest name a written line can hold and still read back whole: the line is the key padded
// to 19 columns, "= ", the quoted name, and must fit the line buffer with room for its end.
constexpr size_t kLongestName = kConfigLineBuffer - 1 - (19 + 2 + 2);

// A file name as the configuration holds it: a plain name inside its folder. A name that would
// reach into another folder is refused, and so is one the game could not write back the same (a
// carriage return in it, or too long for a line), so every setting read survives the next save.
bool AcceptableName(std::string_view name) {
    return name.find('/') == std::string_view::npos && name.find('\r') == std::string_view::npos &&
           name.size() <= kLongestName;
}

bool ReadQuotedName(std::string_view line, std::string& name) {
    std::string text;
    if (!textfile::QuotedText(line, text) || !AcceptableName(text)) {
        return false;
    }
    name = std::move(text);
    return true;
}

// Background, sounds and music: the bare word none means no file; a quoted "none" is a file.
bool ReadOptionalName(std::string_view line, const std::vector<std::string_view>& tokens,
                      std::string& name) {
    if (tokens.size() < 3) {
        return false;
    }
    if (tokens[2] == "none") {
        name.clear();
        return true;
    }
    return ReadQuotedName(line, name);
}

// The size settings of board2d are kept as 16-bit values, and only sizes its configuration
// dialog can set are taken, since the board's picture is cut from them.
bool ReadRangedSize(const std::vector<std::string_view>& tokens, int low, int high, int& size) {
    int value = 0;
    if (!ReadInt(tokens, value)) {
        return false;
    }
    const int asShort = static_cast<std::int16_t>(value);
    if (asShort < low || asShort > high) {
        return false;
    }
    size = asShort;
    return true;
}

// AutoPlaySleep and RemoveTileTime: only delays the configuration dialog can reach are taken, so
// a hand-edited 2147483647 can neither stall autoplay for weeks nor overflow the dialog's steps;
// any other value leaves the delay as it was (the default, unless an earlier line set it).
bool ReadDelay(const std::vector<std::string_view>& tokens, int& delay) {
    int value = 0;
    if (!ReadInt(tokens, value) || value < kShortestDelay || value > kLongestDelay) {
        return false;
    }
    delay = value;
    return true;
}

// Tries the keys of the main list; true when the key is one of them and its value was taken.
bool ReadMainKey(std::string_view line, const std::vector<std::string_view>& tokens,
                 Edition edition, Settings& s) {
    const std::string_view key = tokens.front();
    if (key == "BackgroundColor")
        return ReadColour(tokens, s.backgroundColor);
    if (key == "SidesColor")
        return ReadColour(tokens, s.sidesColor);
    if (key == "EasyMode")
        return ReadFlag(tokens, s.easyMode);
    if (key == "AutoPlaySleep")
        return ReadDelay(tokens, s.autoPlaySleep);
    if (key == "RemoveTileTime")
        return ReadDelay(tokens, s.removeTileTime);
    if (key == "ShowChrono")
        return ReadFlag(tokens, s.showChrono);
    if (key == "Shadows")
        return ReadFlag(tokens, s.shadows);
    if (key == "Language")
        return ReadQuotedName(line, s.language);
    if (key == "Layout")
        return ReadQuotedName(line, s.layout);
    if (key == "TileSet")
        return ReadQuotedName(line, s.tileSet);
    if (key == "Background")
        return ReadOptionalName(line, tokens, s.background);
    if (key == "SoundEffects")
        return ReadFlag(tokens, s.soundEffects);
    if (key == "Sound1")
        return ReadOptionalName(line, tokens, s.sound1);
    if (key == "Sound2")
        return ReadOptionalName(line, tokens, s.sound2);
    if (key == "Sound3")
        return ReadOptionalName(line, tokens, s.sound3);
    if (key == "Music")
        return ReadOptionalName(line, tokens, s.music);
    if (key == "WindowXPos")
        return ReadInt(tokens, s.windowXPos);
    if (key == "WindowYPos")
        return ReadInt(tokens, s.windowYPos);
    if (key == "WindowXSize")
        return ReadInt(tokens, s.windowXSize);
    if (key == "WindowYSize")
        return ReadInt(tokens, s.windowYSize);
    if (key == "NewCursors")
        return ReadFlag(tokens, s.newCursors);
    if (key == "MessageBoxWhenLose")
        return ReadFlag(tokens, s.messageBoxWhenLose);
    if (edition == Edition::TwoD) {
        if (key == "BorderSize")
            return ReadRangedSize(tokens, 2, 10, s.borderSize);
        if (key == "ShadowSize")
            return ReadRangedSize(tokens, 2, 25, s.shadowSize);
    }
    if (key == "CoolMenu")
        return ReadFlag(tokens, s.coolMenu);
    if (key == ".lay")
        return ReadFlag(tokens, s.lay);
    return false;
}

std::string KeyField(std::string_view key, size_t width) {
    std::string text(key);
    if (text.size() < width) {
        text.append(width - text.size(), ' ');
    }
    text += "= ";
    return text;
}

std::string IntLine(std::string_view key, size_t width, int value) {
    return KeyField(key, width) + std::to_string(value);
}

std::string ColourLine(std::string_view key, size_t width, Colour colour) {
    return KeyField(key, width) + std::to_string(colour.red) + ' ' + std::to_string(colour.green) +
           ' ' + std::to_string(colour.blue);
}

// A name the file cannot hold (a quote or a line break would end it early and let the rest be
// read as further keys) is written as no name; the next start then takes a fallback.
std::string_view WritableName(std::string_view name) {
    const bool holdable = std::none_of(name.begin(), name.end(), [](char c) {
        return c == '"' || c == '\r' || c == '\n' || c == '\0';
    });
    return holdable ? name : std::string_view();
}

std::string NameLine(std::string_view key, std::string_view name) {
    return KeyField(key, 19) + '"' + std::string(WritableName(name)) + '"';
}

std::string OptionalNameLine(std::string_view key, std::string_view name) {
    return WritableName(name).empty() ? KeyField(key, 19) + "none" : NameLine(key, name);
}

// "%f": six decimals, independent of the locale the desktop may have set. A value six decimals
// cannot carry (0.0000001 would come back as 0) is written with as many decimals as it needs to
// read back the same.
std::string FloatLine(std::string_view key, size_t width, float value) {
    char buffer[400];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, static_cast<double>(value),
                                std::chars_format::fixed, 6);
    float readBack = 0.0f;
    if (!ParseLeadingFloat(std::string_view(buffer, result.ptr - buffer), readBack) ||
        readBack != value) {
        result = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    }
    return KeyField(key, width) + std::string(buffer, result.ptr);
}

std::string LevelKey(size_t level) {
    return "RGBLevel[" + std::to_string(level) + "]Color";
}

void CheckName(std::string& name, const std::string& folder, std::string_view patterns,
               std::string_view preferred) {
    if (!FileExistsInFolder(folder, name)) {
        name = FindFallbackFile(patterns, folder, preferred);
    }
}

// The lines of a configuration file over `settings`: every name starts empty, each line goes to
// the main list and then to the edition's hooks, and a window off the screen takes the defaults'.
void ReadConfigLines(textfile::LineReader& reader, Settings& settings, const Settings& defaults,
                     Edition edition, const ScreenMetrics& screen, ViewSettingsHooks& hooks) {
    // With a file, every name starts empty: a name the file does not give is found by the
    // checks below, and background, sounds and music stay off.
    settings.language.clear();
    settings.layout.clear();
    settings.tileSet.clear();
    settings.background.clear();
    settings.sound1.clear();
    settings.sound2.clear();
    settings.sound3.clear();
    settings.music.clear();

    std::string line;
    while (reader.Next(line, kConfigLineBuffer)) {
        if (line.size() < 3 || line.front() == ';') {
            continue;
        }
        const std::vector<std::string_view> tokens = textfile::Tokens(line, 5);
        if (tokens.empty()) {
            continue;
        }
        const std::string key(tokens.front());
        if (ReadMainKey(line, tokens, edition, settings)) {
            line.clear();
        }
        hooks.ReadViewSettings(line, key, settings);
    }
    // A window that would not be on this screen (another monitor, a hand-edited file) opens
    // at the default place instead.
    if (!WindowOnScreen(settings, screen)) {
        settings.windowXPos = defaults.windowXPos;
        settings.windowYPos = defaults.windowYPos;
        settings.windowXSize = defaults.windowXSize;
        settings.windowYSize = defaults.windowYSize;
    }
}

}  // namespace

std::string WindowTitle(Edition edition) {
    std::string title(kGameTitle);
    switch (edition) {
        case Edition::D3D:
            title += " DX8.1";
            break;
        case Edition::GL:
            title += " GL";
            break;
        case Edition::TwoD:
            title += " 2D";
            break;
    }
    return title;
}

std::string_view ConfigFileName(Edition edition) {
    return edition == Edition::TwoD ? "TAVX2D.INI" : "TAVX3D.INI";
}

std::uint32_t ColourRef(Colour colour) {
    return static_cast<std::uint32_t>(colour.red) |
           (static_cast<std::uint32_t>(colour.green) << 8) |
           (static_cast<std::uint32_t>(colour.blue) << 16);
}

void ConfigWriter::Line(std::string_view text) {
    bytes_ += "\r\n";
    bytes_ += text;
}

void ViewSettingsHooks::SetViewDefaults(Settings&) {}
void ViewSettingsHooks::ReadViewSettings(std::string_view, std::string_view, Settings&) {}
void ViewSettingsHooks::WriteViewSettings(ConfigWriter&, const Settings&) {}

void View3DSettingsHooks::SetViewDefaults(Settings& settings) {
    const Settings defaults;
    settings.moveBoard = defaults.moveBoard;
    settings.bumpMapping = defaults.bumpMapping;
    settings.textureSize = defaults.textureSize;
    settings.rgbLevelColor = defaults.rgbLevelColor;
    settings.minZoom = defaults.minZoom;
    settings.maxZoom = defaults.maxZoom;
    settings.stepRotation = defaults.stepRotation;
}

void View3DSettingsHooks::ReadViewSettings(std::string_view line, std::string_view key,
                                           Settings& s) {
    if (line.empty() || key.empty()) {
        return;
    }
    const std::vector<std::string_view> tokens = textfile::Tokens(line, 5);
    if (tokens.empty() || tokens.front() != key) {
        return;
    }
    if (key == "MoveBoard") {
        ReadFlag(tokens, s.moveBoard);
    } else if (key == "BumpMapping") {
        ReadFlag(tokens, s.bumpMapping);
    } else if (key == "TextureSize") {
        // The textures are made at this size: only the sizes the dialog offers are taken.
        int size = 0;
        if (ReadInt(tokens, size) && (size == 64 || size == 128 || size == 256)) {
            s.textureSize = size;
        }
    } else if (key == "XPosition") {
        ReadFloat(tokens, s.xPosition);
    } else if (key == "YPosition") {
        ReadFloat(tokens, s.yPosition);
    } else if (key == "ZPosition") {
        ReadFloat(tokens, s.zPosition);
    } else if (key == "lightPosX") {
        ReadFloat(tokens, s.lightPosX);
    } else if (key == "lightPosY") {
        ReadFloat(tokens, s.lightPosY);
    } else if (key == "lightPosZ") {
        ReadFloat(tokens, s.lightPosZ);
    } else if (key == "MinZoom") {
        ReadFloat(tokens, s.minZoom);
    } else if (key == "MaxZoom") {
        ReadFloat(tokens, s.maxZoom);
    } else if (key == "StepRotation") {
        ReadFloat(tokens, s.stepRotation);
    } else {
        for (size_t level = 0; level < s.rgbLevelColor.size(); ++level) {
            if (key == LevelKey(level)) {
                ReadColour(tokens, s.rgbLevelColor[level]);
            }
        }
    }
}

void View3DSettingsHooks::WriteViewSettings(ConfigWriter& writer, const Settings& s) {
    constexpr size_t kWidth = 17;
    writer.Line("");
    writer.Line("; 3D values");
    writer.Line(IntLine("MoveBoard", kWidth, s.moveBoard ? 1 : 0));
    writer.Line(IntLine("BumpMapping", kWidth, s.bumpMapping ? 1 : 0));
    writer.Line(IntLine("TextureSize", kWidth, s.textureSize));
    for (size_t level = 0; level < s.rgbLevelColor.size(); ++level) {
        writer.Line(ColourLine(LevelKey(level), kWidth, s.rgbLevelColor[level]));
    }
    writer.Line(FloatLine("XPosition", kWidth, s.xPosition));
    writer.Line(FloatLine("YPosition", kWidth, s.yPosition));
    writer.Line(FloatLine("ZPosition", kWidth, s.zPosition));
    writer.Line(FloatLine("lightPosX", kWidth, s.lightPosX));
    writer.Line(FloatLine("lightPosY", kWidth, s.lightPosY));
    writer.Line(FloatLine("lightPosZ", kWidth, s.lightPosZ));
    writer.Line(FloatLine("MinZoom", kWidth, s.minZoom));
    writer.Line(FloatLine("MaxZoom", kWidth, s.maxZoom));
    writer.Line(FloatLine("StepRotation", kWidth, s.stepRotation));
}

std::string ConfigFilePath(const ResourceFolders& folders, Edition edition) {
    return PathForWriting(folders.start, ConfigFileName(edition));
}

bool ConfigFileExists(const ResourceFolders& folders, Edition edition) {
    return FileExistsInFolder(folders.start, ConfigFileName(edition));
}

int ComputeMaxMenuItems(const ScreenMetrics& screen) {
    if (screen.menuBarHeight <= 0) {
        return 10;
    }
    const int defaultHeight = screen.maximisedHeight - 2 * screen.frameHeight;
    return static_cast<std::int16_t>(defaultHeight / screen.menuBarHeight - 4);
}

bool WindowOnScreen(const Settings& s, const ScreenMetrics& screen) {
    return s.windowXPos >= 0 && s.windowXPos <= screen.maximisedWidth && s.windowYPos >= 0 &&
           s.windowYPos <= screen.maximisedHeight && s.windowXSize > 0 &&
           s.windowXSize <= screen.maximisedWidth && s.windowYSize > 0 &&
           s.windowYSize <= screen.maximisedHeight;
}

void SetDefaultSettings(Settings& settings, const ScreenMetrics& screen, ViewSettingsHooks& hooks) {
    const Settings defaults;
    std::string language = std::move(settings.language);
    Settings fresh = defaults;
    // The view's own members that no default covers (camera and light) keep their values.
    fresh.moveBoard = settings.moveBoard;
    fresh.bumpMapping = settings.bumpMapping;
    fresh.textureSize = settings.textureSize;
    fresh.rgbLevelColor = settings.rgbLevelColor;
    fresh.xPosition = settings.xPosition;
    fresh.yPosition = settings.yPosition;
    fresh.zPosition = settings.zPosition;
    fresh.lightPosX = settings.lightPosX;
    fresh.lightPosY = settings.lightPosY;
    fresh.lightPosZ = settings.lightPosZ;
    fresh.minZoom = settings.minZoom;
    fresh.maxZoom = settings.maxZoom;
    fresh.stepRotation = settings.stepRotation;
    settings = std::move(fresh);
    settings.language = std::move(language);
    settings.windowXPos = 0;
    settings.windowYPos = 0;
    settings.windowXSize = screen.maximisedWidth - 2 * screen.frameWidth;
    settings.windowYSize = screen.maximisedHeight - 2 * screen.frameHeight;
    settings.maxMenuItems = ComputeMaxMenuItems(screen);
    hooks.SetViewDefaults(settings);
}

void ReadConfigText(std::string_view bytes, Settings& settings, Edition edition,
                    const ScreenMetrics& screen, ViewSettingsHooks& hooks) {
    const Settings defaults = settings;
    textfile::LineReader reader(bytes);
    ReadConfigLines(reader, settings, defaults, edition, screen, hooks);
}

SettingsLoad LoadSettings(Settings& settings, LanguageTexts& texts, const ResourceFolders& folders,
                          Edition edition, const ScreenMetrics& screen, ViewSettingsHooks& hooks) {
    SetDefaultSettings(settings, screen, hooks);
    const Settings defaults = settings;

    textfile::LineReader reader(ResolveInFolder(folders.start, ConfigFileName(edition)));
    if (reader.IsOpen()) {
        ReadConfigLines(reader, settings, defaults, edition, screen, hooks);
    } else if (settings.language.empty()) {
        settings.language = kDefaultLanguage;
    }

    CheckName(settings.language, folders.language, kLanguagePattern, kDefaultLanguage);
    // The random layout is never checked; it is only that name spelt exactly, as the board
    // recognises it. "random.tvl" names a file.
    if (settings.layout != kRandomLayout) {
        CheckName(settings.layout, folders.layouts, kLayoutPattern, kDefaultLayout);
    }
    CheckName(settings.tileSet, folders.tileSets, kPicturePattern, kDefaultTileSet);
    if (!settings.background.empty()) {
        CheckName(settings.background, folders.backgrounds, kPicturePattern, kDefaultBackground);
    }
    if (!settings.sound1.empty()) {
        CheckName(settings.sound1, folders.sounds, kSoundPattern, kDefaultSound1);
    }
    if (!settings.sound2.empty()) {
        CheckName(settings.sound2, folders.sounds, kSoundPattern, kDefaultSound2);
    }
    if (!settings.sound3.empty()) {
        CheckName(settings.sound3, folders.sounds, kSoundPattern, kDefaultSound3);
    }
    if (!settings.music.empty()) {
        CheckName(settings.music, folders.sounds, kMusicPattern, kDefaultMusic);
    }

    if (!texts.LoadLanguage(folders, settings.language)) {
        return SettingsLoad{std::string(kNoLanguageMessage)};
    }
    if (settings.layout.empty()) {
        return SettingsLoad{texts.Text(TextId::MesNoLayout)};
    }
    if (settings.tileSet.empty()) {
        return SettingsLoad{texts.Text(TextId::MesNoTileSet)};
    }
    return SettingsLoad{};
}

std::string FormatSettings(const Settings& s, Edition edition, const ScreenMetrics& screen,
                           ViewSettingsHooks& hooks) {
    constexpr size_t kWidth = 19;
    ConfigWriter writer;
    writer.Bytes() = "; " + WindowTitle(edition) + " INI File, do not edit\r\n";
    writer.Line(ColourLine("BackgroundColor", kWidth, s.backgroundColor));
    writer.Line(ColourLine("SidesColor", kWidth, s.sidesColor));
    writer.Line(IntLine("EasyMode", kWidth, s.easyMode ? 1 : 0));
    writer.Line(IntLine("AutoPlaySleep", kWidth, s.autoPlaySleep));
    writer.Line(IntLine("RemoveTileTime", kWidth, s.removeTileTime));
    writer.Line(IntLine("ShowChrono", kWidth, s.showChrono ? 1 : 0));
    writer.Line(IntLine("Shadows", kWidth, s.shadows ? 1 : 0));
    writer.Line(NameLine("Language", s.language));
    writer.Line(NameLine("Layout", s.layout));
    writer.Line(NameLine("TileSet", s.tileSet));
    writer.Line(OptionalNameLine("Background", s.background));
    writer.Line(IntLine("SoundEffects", kWidth, s.soundEffects ? 1 : 0));
    writer.Line(OptionalNameLine("Sound1", s.sound1));
    writer.Line(OptionalNameLine("Sound2", s.sound2));
    writer.Line(OptionalNameLine("Sound3", s.sound3));
    writer.Line(OptionalNameLine("Music", s.music));
    if (WindowOnScreen(s, screen)) {
        writer.Line(IntLine("WindowXPos", kWidth, s.windowXPos));
        writer.Line(IntLine("WindowYPos", kWidth, s.windowYPos));
        writer.Line(IntLine("WindowXSize", kWidth, s.windowXSize));
        writer.Line(IntLine("WindowYSize", kWidth, s.windowYSize));
    }
    writer.Line(IntLine("NewCursors", kWidth, s.newCursors ? 1 : 0));
    writer.Line(IntLine("MessageBoxWhenLose", kWidth, s.messageBoxWhenLose ? 1 : 0));
    if (edition == Edition::TwoD) {
        writer.Line(IntLine("BorderSize", kWidth, s.borderSize));
        writer.Line(IntLine("ShadowSize", kWidth, s.shadowSize));
    }
    writer.Line(IntLine("CoolMenu", kWidth, s.coolMenu ? 1 : 0));
    if (s.lay) {
        writer.Line(IntLine(".lay", 16, 1));
    }
    hooks.WriteViewSettings(writer, s);
    return writer.Bytes();
}

bool SaveSettings(const Settings& settings, const ResourceFolders& folders, Edition edition,
                  const ScreenMetrics& screen, ViewSettingsHooks& hooks) {
    return files::WriteFileReplacing(ConfigFilePath(folders, edition),
                                     FormatSettings(settings, edition, screen, hooks));
}

std::vector<LanguageChoice> FirstRunChoices(const FileList& languages, const std::string& current,
                                            int& preselected) {
    // The entry spelt exactly like the current language is selected, case included; when none
    // is, the dialog shows its own first entry.
    std::vector<LanguageChoice> choices;
    preselected = -1;
    for (const FileEntry& entry : languages) {
        if (preselected < 0 && entry.fileName == current) {
            preselected = static_cast<int>(choices.size());
        }
        choices.push_back({entry.displayName, entry.fileName});
    }
    return choices;
}

int StepDelay(int delay, int direction) {
    const int current = std::clamp(delay, kShortestDelay, kLongestDelay);
    if (direction > 0) {
        return std::min(current, kLongestDelay - kDelayStep) + kDelayStep;
    }
    if (direction < 0 && current >= kShortestDelay + kDelayStep) {
        return current - kDelayStep;
    }
    return current;
}
