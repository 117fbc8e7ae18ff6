#include "IChoiceMenu.h"

IChoiceItem* IChoiceMenu::AddItem(const char* text, int32_t flags)
{
    auto item = std::make_unique<IChoiceItem>();
    item->text = text ? text : "";
    item->flags = flags;
    items.push_back(std::move(item));
    return items.back().get();
}

IChoiceItem* IChoiceMenu::AddSubmenu(const char* text, std::unique_ptr<IChoiceMenu> submenu, int32_t flags)
{
    IChoiceItem* item = AddItem(text, flags);
    item->submenu = std::move(submenu);
    return item;
}

IChoiceItem* IChoiceMenu::AddSeparator()
{
    return AddItem("", kChoiceSeparator);
}

IChoiceItem* IChoiceMenu::Item(int32_t index)
{
    if (index < 0 || index >= ItemCount())
        return nullptr;
    return items[static_cast<size_t>(index)].get();
}

const IChoiceItem* IChoiceMenu::Item(int32_t index) const
{
    if (index < 0 || index >= ItemCount())
        return nullptr;
    return items[static_cast<size_t>(index)].get();
}
