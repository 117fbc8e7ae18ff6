// Hosts that find Contents/Resources/moduleinfo.json in a VST3 bundle list the plug-in from it
// without loading the module, so the file must say exactly what the module's factory says.
// The test loads the module as a host does, writes the factory's answers in the file's layout
// and compares the two texts.

#include "HostedEffect.h"

#include "pluginterfaces/base/ipluginbase.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

using namespace Steinberg;

namespace {

// Writes JSON in the layout of moduleinfo.json: two spaces per level, one member per line.
class JsonLayout
{
public:
    void Open(const char* key, char bracket)
    {
        Member(key);
        text += bracket;
        closers.push_back(bracket == '{' ? '}' : ']');
        empty = true;
    }
    void Close()
    {
        const char closer = closers.back();
        closers.pop_back();
        if (!empty)
        {
            text += '\n';
            Indent();
        }
        text += closer;
        empty = false;
    }
    void String(const char* key, const std::string& value)
    {
        Member(key);
        text += Quoted(value);
    }
    void Literal(const char* key, const std::string& value)
    {
        Member(key);
        text += value;
    }
    std::string Text() const { return text + "\n"; }

private:
    void Member(const char* key)
    {
        if (!closers.empty())
        {
            text += empty ? "\n" : ",\n";
            Indent();
        }
        empty = false;
        if (key)
            text += Quoted(key) + ": ";
    }
    void Indent() { text.append(2 * closers.size(), ' '); }
    static std::string Quoted(const std::string& value)
    {
        std::string quoted = "\"";
        for (const char c : value)
        {
            if (c == '"' || c == '\\')
                quoted += '\\';
            if (static_cast<unsigned char>(c) < 0x20)
            {
                char escaped[8];
                snprintf(escaped, sizeof escaped, "\\u%04x", c);
                quoted += escaped;
            }
            else
                quoted += c;
        }
        return quoted + "\"";
    }

    std::string text;
    std::vector<char> closers;
    bool empty = true;
};

std::string Hex(const TUID cid)
{
    std::string hex;
    for (int i = 0; i < 16; ++i)
    {
        char digits[3];
        snprintf(digits, sizeof digits, "%02X", static_cast<unsigned char>(cid[i]));
        hex += digits;
    }
    return hex;
}

std::vector<std::string> SplitAtBars(const std::string& list)
{
    std::vector<std::string> parts;
    std::stringstream stream(list);
    for (std::string part; std::getline(stream, part, '|');)
        parts.push_back(part);
    return parts;
}

const char* Flag(bool set)
{
    return set ? "true" : "false";
}

// The factory's answers as moduleinfo.json. The module version is the version of its classes.
std::string ModuleInfoFromFactory(IPluginFactory& factory, const std::string& moduleName)
{
    PFactoryInfo info;
    if (factory.getFactoryInfo(&info) != kResultOk)
        return "getFactoryInfo failed";
    FUnknownPtr<IPluginFactory2> factory2(&factory);
    if (!factory2)
        return "no IPluginFactory2";
    std::vector<PClassInfo2> classes(static_cast<size_t>(factory.countClasses()));
    for (size_t i = 0; i < classes.size(); ++i)
        if (factory2->getClassInfo2(static_cast<int32>(i), &classes[i]) != kResultOk)
            return "getClassInfo2 failed";

    JsonLayout json;
    json.Open(nullptr, '{');
    json.String("Name", moduleName);
    json.String("Version", classes.empty() ? "" : classes[0].version);
    json.Open("Factory Info", '{');
    json.String("Vendor", info.vendor);
    json.String("URL", info.url);
    json.String("E-Mail", info.email);
    json.Open("Flags", '{');
    json.Literal("Unicode", Flag(info.flags & PFactoryInfo::kUnicode));
    json.Literal("Classes Discardable", Flag(info.flags & PFactoryInfo::kClassesDiscardable));
    json.Literal("Component Non Discardable", Flag(info.flags & PFactoryInfo::kComponentNonDiscardable));
    json.Close();
    json.Close();
    json.Open("Classes", '[');
    for (const PClassInfo2& c : classes)
    {
        json.Open(nullptr, '{');
        json.String("CID", Hex(c.cid));
        json.String("Category", c.category);
        json.String("Name", c.name);
        json.String("Vendor", c.vendor);
        json.String("Version", c.version);
        json.String("SDKVersion", c.sdkVersion);
        json.Open("Sub Categories", '[');
        for (const std::string& sub : SplitAtBars(c.subCategories))
            json.String(nullptr, sub);
        json.Close();
        json.Literal("Class Flags", std::to_string(c.classFlags));
        json.Literal("Cardinality", std::to_string(c.cardinality));
        json.Close();
    }
    json.Close();
    json.Close();
    return json.Text();
}

std::string ReadFile(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

std::string BundleName(const std::string& bundlePath)
{
    const size_t slash = bundlePath.find_last_of("/\\");
    const std::string name = bundlePath.substr(slash == std::string::npos ? 0 : slash + 1);
    return name.substr(0, name.rfind(".vst3"));
}

} // namespace

TEST(ModuleInfo, SaysExactlyWhatTheFactoryReports)
{
    const std::string bundle = TESSIVANE_VST3_BUNDLE;
    const std::string file = ReadFile(bundle + "/Contents/Resources/moduleinfo.json");
    ASSERT_FALSE(file.empty()) << "no Contents/Resources/moduleinfo.json in " << bundle;

    HostedModule module;
    ASSERT_TRUE(module.Open(bundle)) << "cannot load " << bundle;
    EXPECT_EQ(file, ModuleInfoFromFactory(*module.Factory(), BundleName(bundle)));
}
