#include "TextParsing.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

std::string Trim(const std::string& text)
{
    const size_t first = text.find_first_not_of(" \t\r");
    if (first == std::string::npos)
        return "";
    return text.substr(first, text.find_last_not_of(" \t\r") - first + 1);
}

bool ParseNumber(const std::string& text, double& out)
{
    if (text.empty())
        return false;
    char* end = nullptr;
    errno = 0;
    out = strtod(text.c_str(), &end);
    return errno == 0 && end && *end == '\0' && std::isfinite(out);
}

bool ParseNormalised(const std::string& text, double& out)
{
    return ParseNumber(text, out) && out >= 0.0 && out <= 1.0;
}

bool SplitAssignment(const std::string& text, std::string& name, std::string& value)
{
    const size_t eq = text.find('=');
    name = Trim(text.substr(0, eq));
    value = eq == std::string::npos ? "" : Trim(text.substr(eq + 1));
    return eq != std::string::npos && !name.empty() && !value.empty();
}
