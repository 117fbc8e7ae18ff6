#pragma once
// A popup menu as the editor describes it to the window system: items with flags and
// optional submenus. The window fills in the chosen index of the menu the user picked from.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

class IChoiceMenu;

// Item flags.
constexpr int32_t kChoiceGreyed = 1;
constexpr int32_t kChoiceDisabled = 2;
constexpr int32_t kChoiceChecked = 4;
constexpr int32_t kChoiceSeparator = 8;

struct IChoiceItem
{
    std::string text;
    std::unique_ptr<IChoiceMenu> submenu; // null for a plain item
    int32_t flags = 0;
};

class IChoiceMenu
{
public:
    // Numbering styles: the item's 1-based position prefixed as "%1d: ", "%02d: ", "%03d: ".
    enum Numbering : int32_t
    {
        kNoNumbers = 0,
        kNumbersPlain = 1,
        kNumbersTwoDigits = 2,
        kNumbersThreeDigits = 3,
    };

    explicit IChoiceMenu(int32_t numbering = kNoNumbers) : numberingStyle(numbering) {}

    IChoiceItem* AddItem(const char* text, int32_t flags = 0);
    // Takes ownership of the submenu.
    IChoiceItem* AddSubmenu(const char* text, std::unique_ptr<IChoiceMenu> submenu, int32_t flags = 0);
    IChoiceItem* AddSeparator();

    int32_t ItemCount() const { return static_cast<int32_t>(items.size()); }
    // The item at `index`, or null outside the list.
    IChoiceItem* Item(int32_t index);
    const IChoiceItem* Item(int32_t index) const;

    int32_t NumberingStyle() const { return numberingStyle; }
    int32_t ChosenIndex() const { return chosenIndex; }
    void SetChosenIndex(int32_t index) { chosenIndex = index; }

private:
    int32_t numberingStyle;
    int32_t chosenIndex = -1;
    std::vector<std::unique_ptr<IChoiceItem>> items;
};
