#include "IParamEntry.h"

#include "DecimalText.h"
#include "ITextCopy.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>

int32_t TruncToInt32(double v)
{
    if (std::isnan(v))
        return 0;
    if (v >= 2147483647.0)
        return INT32_MAX;
    if (v <= -2147483648.0)
        return INT32_MIN;
    return static_cast<int32_t>(v);
}

void IParamEntry::InitContinuous(const char* newName, double newDefault, double newMin, double newMax,
                                 double newStep, const char* newLabel)
{
    if (kind == kParamNone)
        kind = kParamDouble;
    CopyText(name, newName);
    CopyText(label, newLabel);
    CopyText(group, "");
    value = newDefault;
    min = newMin;
    max = newMax;
    step = newStep;
    defaultValue = newDefault;

    // The number of decimals of the step: how often it must be multiplied by ten to become whole.
    displayPrecision = 0;
    for (double s = step; std::floor(s) != s && displayPrecision < kMaxDisplayPrecision; s *= 10.0)
        ++displayPrecision;
    shape = 1.0;
}

double IParamEntry::Clamp(double real) const
{
    if (std::isnan(real))
        return min;
    return std::min(std::max(real, min), max);
}

double IParamEntry::ToNormalized(double real) const
{
    // A range without width (or a damaged one) has one value, shown at the bottom.
    if (!(max > min))
        return 0.0;
    return std::pow((Clamp(real) - min) / (max - min), 1.0 / shape);
}

double IParamEntry::FromNormalized(double normalized) const
{
    return min + (max - min) * std::pow(normalized, shape);
}

void IParamEntry::SetFromNormalized(double normalized)
{
    double v = FromNormalized(normalized);
    if (kind != kParamDouble)
        v = std::floor(v / step + 0.5) * step;
    // Clamped on both sides: a value below min or a NaN would reach the processing as a
    // negative or undefined quantity.
    value = Clamp(v);
}

void IParamEntry::SetValueClamped(double real)
{
    value = Clamp(real);
}

void IParamEntry::SetShape(double s)
{
    if (s > 0.0 && std::isfinite(s))
        shape = s;
}

void IParamEntry::SetGroup(const char* g)
{
    CopyText(group, g);
}

void IParamEntry::AddDisplayText(int32_t v, const char* text)
{
    IDisplayText record{v, ""};
    CopyText(record.text, text);
    displayTexts.push_back(record);
}

bool IParamEntry::ReadValueText(const char* text, double* real) const
{
    if (!text || !real)
        return false;
    if (!displayTexts.empty())
    {
        for (const IDisplayText& record : displayTexts)
        {
            if (strcmp(record.text, text) == 0)
            {
                *real = record.value;
                return true;
            }
        }
        return false;
    }
    if (!ParseDecimal(text, real))
        return false;
    if (negateDisplay)
        *real = -*real;
    return true;
}

const IDisplayText* IParamEntry::FindDisplayText(double v) const
{
    int32_t whole = TruncToInt32(v);
    for (const IDisplayText& record : displayTexts)
        if (record.value == whole)
            return &record;
    return nullptr;
}

const char* IParamEntry::LabelForHost() const
{
    const IDisplayText* record = FindDisplayText(value);
    if (record && record->text[0])
        return "";
    return label;
}

void IParamEntry::FormatValueText(double v, bool valueIsNormalized, char* out, size_t outSize,
                                  bool useDisplayTexts) const
{
    if (!out || outSize == 0)
        return;
    if (valueIsNormalized)
        v = FromNormalized(v);
    if (useDisplayTexts && !displayTexts.empty())
    {
        const IDisplayText* record = FindDisplayText(v);
        if (record && record->text[0])
        {
            CopyText(out, outSize, record->text);
            return;
        }
    }
    if (negateDisplay)
        v = -v;
    if (displayPrecision > 0)
        snprintf(out, outSize, "%.*f", static_cast<int>(displayPrecision), v);
    else
        snprintf(out, outSize, "%d", static_cast<int>(TruncToInt32(v)));
}
