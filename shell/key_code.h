// The keys of the board view as the game knows them, free of any window toolkit: every key the
// main window does not turn into a command (F10 included) reaches the edition as one of these.
// The numbers are the classic virtual-key codes, so a key keeps one number from the window to
// the camera. The keys of the keyboard focus held with Ctrl or Shift add 0x100 to the code of the
// key, so that the camera never takes them for its own plain arrows and Page keys.
#pragma once

enum class KeyCode : int {
    Other = 0,
    Tab = 0x09,
    Return = 0x0D,
    Escape = 0x1B,
    Space = 0x20,
    PageUp = 0x21,
    PageDown = 0x22,
    End = 0x23,
    Home = 0x24,
    Left = 0x25,
    Up = 0x26,
    Right = 0x27,
    Down = 0x28,
    Insert = 0x2D,
    Delete = 0x2E,
    LetterH = 0x48,
    LetterJ = 0x4A,
    LetterK = 0x4B,
    LetterL = 0x4C,
    Keypad0 = 0x60,
    Keypad1 = 0x61,
    Keypad2 = 0x62,
    Keypad3 = 0x63,
    Keypad4 = 0x64,
    Keypad5 = 0x65,
    Keypad6 = 0x66,
    Keypad7 = 0x67,
    Keypad8 = 0x68,
    Keypad9 = 0x69,
    KeypadMultiply = 0x6A,
    KeypadAdd = 0x6B,
    KeypadSubtract = 0x6D,
    KeypadDecimal = 0x6E,
    KeypadDivide = 0x6F,
    F10 = 0x79,
    ShiftTab = 0x109,
    CtrlPageUp = 0x121,
    CtrlPageDown = 0x122,
    CtrlLeft = 0x125,
    CtrlUp = 0x126,
    CtrlRight = 0x127,
    CtrlDown = 0x128,
};

// The mouse buttons held during a pointer move, as bits.
enum PointerButton : unsigned {
    kPointerLeft = 1u,
    kPointerRight = 2u,
    kPointerMiddle = 4u,
};

// One move of the pointer over the board view: where it is in view pixels and on the screen, the
// buttons held and whether a modifier key (Shift, Ctrl, Alt) is held with them.
struct PointerState {
    int x = 0;
    int y = 0;
    int screenX = 0;
    int screenY = 0;
    unsigned buttons = 0;
    bool modifiers = false;
    bool OnlyLeft() const { return buttons == kPointerLeft; }
    bool OnlyRight() const { return buttons == kPointerRight && !modifiers; }
};
