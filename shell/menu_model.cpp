#include "shell/menu_model.h"

#include <utility>

MenuItem MenuItem::Command(int id, std::string text, bool checkable) {
    MenuItem item;
    item.kind = Kind::Command;
    item.id = id;
    item.text = std::move(text);
    item.checkable = checkable;
    return item;
}

MenuItem MenuItem::Separator() {
    MenuItem item;
    item.kind = Kind::Separator;
    return item;
}

MenuItem MenuItem::Popup(std::string text) {
    MenuItem item;
    item.kind = Kind::Popup;
    item.text = std::move(text);
    return item;
}

namespace {

template <typename Item, typename Visit>
bool VisitCommands(Item& items, Visit&& visit) {
    for (auto& item : items) {
        if (item.kind == MenuItem::Kind::Popup) {
            if (VisitCommands(item.items, visit)) {
                return true;
            }
        } else if (item.kind == MenuItem::Kind::Command) {
            if (visit(item)) {
                return true;
            }
        }
    }
    return false;
}

}  // namespace

MenuItem* MenuBar::Find(int id) {
    MenuItem* found = nullptr;
    VisitCommands(popups, [&](MenuItem& item) {
        if (item.id == id) {
            found = &item;
            return true;
        }
        return false;
    });
    return found;
}

const MenuItem* MenuBar::Find(int id) const {
    return const_cast<MenuBar*>(this)->Find(id);
}

bool MenuBar::SetChecked(int id, bool checked) {
    bool any = false;
    VisitCommands(popups, [&](MenuItem& item) {
        if (item.id == id) {
            item.checked = checked;
            any = true;
        }
        return false;
    });
    return any;
}

bool MenuBar::IsChecked(int id) const {
    const MenuItem* item = Find(id);
    return item != nullptr && item->checked;
}

bool MenuBar::SetEnabled(int id, bool enabled) {
    bool any = false;
    VisitCommands(popups, [&](MenuItem& item) {
        if (item.id == id) {
            item.enabled = enabled;
            any = true;
        }
        return false;
    });
    return any;
}

std::vector<const MenuItem*> MenuBar::Commands() const {
    std::vector<const MenuItem*> result;
    VisitCommands(popups, [&](const MenuItem& item) {
        result.push_back(&item);
        return false;
    });
    return result;
}
