// The menus as plain data: the application builds them, the window renders them. Keeping them as
// data lets the tests check every popup, entry, check mark and picture without a window.
#pragma once

#include <string>
#include <vector>

struct MenuItem {
    enum class Kind { Command, Separator, Popup };

    Kind kind = Kind::Command;
    int id = 0;              // command identifier (Command only)
    std::string text;        // label; a tab separates the shortcut shown at the right
    bool checkable = false;  // shows a check mark when `checked`
    bool checked = false;
    bool enabled = true;
    int picture = -1;  // index into the toolbar strip shown beside the entry, -1 for none
    std::vector<MenuItem> items;  // entries of a popup

    static MenuItem Command(int id, std::string text, bool checkable = false);
    static MenuItem Separator();
    static MenuItem Popup(std::string text);
};

// A menu bar: its popups in order.
struct MenuBar {
    std::vector<MenuItem> popups;

    // The first entry with this command identifier, searching popups and sub-menus in order.
    MenuItem* Find(int id);
    const MenuItem* Find(int id) const;
    // Sets the check mark of every entry with this identifier; false when there is none.
    bool SetChecked(int id, bool checked);
    bool IsChecked(int id) const;
    bool SetEnabled(int id, bool enabled);
    // Every command entry, depth first, for renderers and tests.
    std::vector<const MenuItem*> Commands() const;
};
