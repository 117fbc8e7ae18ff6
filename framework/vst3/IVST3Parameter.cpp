#include "IVST3Parameter.h"

#include "VST3Text.h"

using namespace Steinberg;
using namespace Steinberg::Vst;

namespace {

constexpr size_t kTextUnits = 128;  // a String128

} // namespace

IVST3Parameter::IVST3Parameter(const IParamEntry& paramEntry, ParamID id, UnitID unit) : entry(paramEntry)
{
    info.id = id;
    WidenText(entry.Name(), info.title, kTextUnits);
    info.shortTitle[0] = 0;
    WidenText(entry.LabelForHost(), info.units, kTextUnits);
    info.stepCount = entry.Kind() == kParamDouble ? 0 : TruncToInt32(entry.Max() - entry.Min());
    info.defaultNormalizedValue = entry.ToNormalized(entry.DefaultValue());
    info.unitId = unit;
    info.flags = entry.CanAutomate() ? ParameterInfo::kCanAutomate : ParameterInfo::kNoFlags;
    valueNormalized = info.defaultNormalizedValue;
    precision = entry.DisplayPrecision();
}

void IVST3Parameter::toString(ParamValue valueNormalized, String128 string) const
{
    if (!string)
        return;
    char text[kTextUnits];
    entry.FormatValueText(valueNormalized, true, text, sizeof text, true);
    WidenText(text, string, kTextUnits);
}

bool IVST3Parameter::fromString(const TChar* string, ParamValue& normalized) const
{
    if (!string)
        return false;
    char text[kTextUnits];
    NarrowText(string, text, sizeof text);
    double real = 0.0;
    if (!entry.ReadValueText(text, &real))
        return false;
    normalized = entry.ToNormalized(entry.Clamp(real));
    return true;
}

ParamValue IVST3Parameter::toPlain(ParamValue normalized) const
{
    return entry.FromNormalized(normalized);
}

ParamValue IVST3Parameter::toNormalized(ParamValue plain) const
{
    return entry.ToNormalized(plain);
}
