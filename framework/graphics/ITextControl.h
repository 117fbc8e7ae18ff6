#pragma once
// A control that draws a line of text in its style: the editor's value readouts and labels.

#include "IControl.h"

#include <string>

class ITextControl : public IControl
{
public:
    static constexpr size_t kTextGrowthStep = 128;   // bytes

    ITextControl(IEffectBase* plug, const IRect& rect, const ITextStyle& style, const char* text = "");

    bool Paint(IGraphics* graphics) override;

    // Stores a new text and marks the control changed; the same text changes nothing.
    void ReplaceText(const char* newText);
    // The name plug-ins write their readouts with; the same text costs no repaint.
    void SetText(const char* newText) { ReplaceText(newText); }
    const char* Text() const { return text.c_str(); }

private:
    std::string text;
};
