#include "ITextControl.h"

#include "IGraphics.h"

ITextControl::ITextControl(IEffectBase* owner, const IRect& r, const ITextStyle& style, const char* initialText)
    : IControl(owner, r, -1, IBlend(kBlendDefault, 1.0f))
{
    textStyle = style;
    // Readouts are rewritten while the editor paints; texts that fit the first block are
    // stored without moving the buffer.
    text.reserve(kTextGrowthStep);
    text = initialText ? initialText : "";
}

void ITextControl::ReplaceText(const char* newText)
{
    if (!newText)
        newText = "";
    if (text == newText)
        return;
    MarkChanged(false);
    text = newText;
}

bool ITextControl::Paint(IGraphics* graphics)
{
    if (graphics && !text.empty())
    {
        IRect area = rect;
        graphics->PaintText(&textStyle, text.c_str(), &area, false);
    }
    return true;
}
