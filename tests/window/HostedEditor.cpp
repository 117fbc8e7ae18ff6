#include "HostedEditor.h"

#include <cstdio>

std::vector<std::string> EditNames(const std::vector<HostEdit>& edits)
{
    std::vector<std::string> names;
    for (const HostEdit& edit : edits)
    {
        char name[48];
        if (edit.kind == 'p')
            snprintf(name, sizeof name, "p%d=%.4f", static_cast<int>(edit.index), edit.value);
        else
            snprintf(name, sizeof name, "%c%d", edit.kind, static_cast<int>(edit.index));
        names.push_back(name);
    }
    return names;
}
