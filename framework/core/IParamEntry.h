#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

// Kinds of parameter. Every kind other than continuous is stepped: its values are rounded
// to the step when set from a normalised value.
enum IParamKind : int32_t
{
    kParamNone = 0,  // not yet initialised
    kParamBool = 1,
    kParamInt = 2,
    kParamEnum = 3,
    kParamDouble = 4,
};

// A fixed text shown instead of the number for one whole value.
struct IDisplayText
{
    static constexpr size_t kCapacity = 32;
    int32_t value;
    char text[kCapacity];
};

// One automatable parameter: its real value, range, step, shape and display rules.
// The normalised value n and the real value v are related by v = min + (max - min) * n^shape.
class IParamEntry
{
public:
    static constexpr size_t kTextCapacity = 32;
    static constexpr int kMaxDisplayPrecision = 6;

    void InitContinuous(const char* name, double defaultValue, double min, double max, double step,
                        const char* label);

    double ToNormalized(double real) const;
    double FromNormalized(double normalized) const;
    // Stores the value for a normalised position, rounded to the step for stepped kinds and
    // clamped into [min, max]; a NaN stores min.
    void SetFromNormalized(double normalized);
    // Stores a real value clamped into [min, max]; a NaN stores min.
    void SetValueClamped(double real);
    double Clamp(double real) const;

    // The unit label to show beside the value: empty while a display text names the value.
    const char* LabelForHost() const;
    // Formats v (real, or normalised when valueIsNormalized) into out, at most outSize bytes
    // with the terminator.
    void FormatValueText(double v, bool valueIsNormalized, char* out, size_t outSize,
                         bool useDisplayTexts) const;
    // The real value a host's text stands for, unclamped, the reverse of FormatValueText: the
    // value of the display text it names exactly where the parameter has display texts, else
    // the decimal number it reads as (negated with the display). False when it stands for none.
    bool ReadValueText(const char* text, double* real) const;
    // The record whose value equals v truncated toward zero, or null.
    const IDisplayText* FindDisplayText(double v) const;

    void AddDisplayText(int32_t value, const char* text);
    int DisplayTextCount() const { return static_cast<int>(displayTexts.size()); }
    const IDisplayText& DisplayTextAt(int i) const { return displayTexts[static_cast<size_t>(i)]; }

    int32_t Kind() const { return kind; }
    double Value() const { return value; }
    double Min() const { return min; }
    double Max() const { return max; }
    double Step() const { return step; }
    double Shape() const { return shape; }
    double DefaultValue() const { return defaultValue; }
    int32_t DisplayPrecision() const { return displayPrecision; }
    const char* Name() const { return name; }
    const char* Label() const { return label; }
    const char* Group() const { return group; }
    bool NegateDisplay() const { return negateDisplay; }
    bool CanAutomate() const { return canAutomate; }
    bool IsStepped() const { return kind != kParamDouble; }

    void SetKind(int32_t k) { kind = k; }
    void SetShape(double s);
    void SetGroup(const char* g);
    void SetNegateDisplay(bool negate) { negateDisplay = negate; }
    void SetCanAutomate(bool automate) { canAutomate = automate; }

private:
    int32_t kind = kParamNone;
    double value = 0.0;
    double min = 0.0;
    double max = 1.0;
    double step = 1.0;
    double shape = 1.0;
    double defaultValue = 0.0;
    int32_t displayPrecision = 0;
    char name[kTextCapacity] = "";
    char label[kTextCapacity] = "";
    char group[kTextCapacity] = "";
    bool negateDisplay = false;
    bool canAutomate = true;
    std::vector<IDisplayText> displayTexts;
};

// Converts a double to an int32 by truncation toward zero, saturating instead of overflowing
// (a NaN gives 0), so that absurd values from hosts or files cannot cause undefined behaviour.
int32_t TruncToInt32(double v);
