#pragma once
// The base of every editor control: a rectangle, an optional plug-in parameter, a
// normalised value 0..1 and overridable painting and input handling. Controls belong to
// the editor (IGraphics) they are added to.

#include "IGraphicsTypes.h"

#include <cstdint>
#include <string>
#include <vector>

class IEffectBase;
class IGraphics;
class IParamEntry;
class ITextControl;

// A further parameter that a control shows besides its own.
struct ILinkedParam
{
    double value = 0.0;
    int32_t paramIndex = -1;
};

class IControl
{
public:
    static constexpr int32_t kDefaultEntryLengthLimit = 7;   // characters typed in place
    static constexpr float kGreyedWeight = 0.25f;

    IControl(IEffectBase* plug, const IRect& rect, int32_t paramIndex = -1, IBlend blend = IBlend());
    virtual ~IControl();
    IControl(const IControl&) = delete;
    IControl& operator=(const IControl&) = delete;

    // ---- Input --------------------------------------------------------------------------------
    // A right press asks the user for a value (when the prompt is enabled).
    virtual void MouseDown(int32_t x, int32_t y, const IMouseMods& mods);
    virtual void MouseUp(int32_t x, int32_t y, const IMouseMods& mods);
    virtual void MouseDrag(int32_t x, int32_t y, int32_t dx, int32_t dy, const IMouseMods& mods);
    // Restores the default value, when the control has one, and pushes it.
    virtual void MouseDoubleClick(int32_t x, int32_t y, const IMouseMods& mods);
    // `steps` counts whole wheel notches, signed.
    virtual void MouseWheel(int32_t x, int32_t y, const IMouseMods& mods, int32_t steps);
    // True when the key was handled.
    virtual bool KeyDown(int32_t x, int32_t y, int32_t key);
    virtual void MouseEnter(int32_t x, int32_t y, const IMouseMods& mods);
    virtual void MouseLeave();

    // ---- Drawing and values ---------------------------------------------------------------
    virtual bool Paint(IGraphics* graphics) = 0;
    // A value from the plug-in. The first one also becomes the default for double clicks.
    virtual void ApplyPluginValue(double normalized);
    // A value the user chose in a menu or typed: pushed to the plug-in when it differs.
    virtual void ApplyUserValue(double normalized);
    // Free text typed into the entry field of a control without a parameter.
    virtual void AcceptEnteredText(const char* text);
    virtual void SetHidden(bool hide);
    // A greyed control ignores the mouse and draws at a quarter of its weight.
    virtual void SetGreyed(bool grey);
    virtual bool HitTest(int32_t x, int32_t y);
    // Clamps the value, marks the control for repainting and, with `pushToPlug`, hands the
    // value to the plug-in and rewrites the linked value and name readouts.
    virtual void MarkChanged(bool pushToPlug);
    // Ends a paint pass: the control stays dirty for one more pass when a redraw is pending.
    virtual void CommitRedraw();
    virtual bool NeedsRedraw();
    virtual void ApplyLinkedPluginValue(int32_t position, double normalized);

    // Asks the editor for a value: a menu for parameters with display texts, otherwise an
    // in-place entry field. Does nothing unless the value prompt is enabled.
    void AskUserForValue();

    // ---- Fields -------------------------------------------------------------------------------
    IEffectBase* Plug() const { return plug; }
    // The editor the control was added to, null before.
    IGraphics* Graphics() const { return graphics; }
    void SetGraphics(IGraphics* editor) { graphics = editor; }

    const IRect& Rect() const { return rect; }
    const IRect& TargetRect() const { return targetRect; }
    void SetTargetRect(const IRect& r) { targetRect = r; }
    int32_t ParamIndex() const { return paramIndex; }
    // The control's parameter, or null when it has none.
    IParamEntry* Param() const;

    double Value() const { return value; }
    // Sets the value without marking or pushing anything (see MarkChanged).
    void SetValue(double v) { value = v; }
    double DefaultValue() const { return defaultValue; }
    void SetDefaultValue(double v) { defaultValue = v; }
    void SetClamp(double lower, double upper);
    double LowerClamp() const { return lowerClamp; }
    double UpperClamp() const { return upperClamp; }

    bool IsHidden() const { return hidden; }
    bool IsGreyed() const { return greyed; }
    bool PendingRedraw() const { return pendingRedraw; }
    void SetPendingRedraw() { pendingRedraw = true; }

    bool ValuePromptDisabled() const { return valuePromptDisabled; }
    void SetValuePromptDisabled(bool disabled) { valuePromptDisabled = disabled; }
    bool DoubleClickActsAsPress() const { return doubleClickActsAsPress; }
    void SetDoubleClickActsAsPress(bool asPress) { doubleClickActsAsPress = asPress; }
    bool HoverWhenGreyed() const { return hoverWhenGreyed; }
    void SetHoverWhenGreyed(bool hover) { hoverWhenGreyed = hover; }
    int32_t EntryLengthLimit() const { return entryLengthLimit; }
    void SetEntryLengthLimit(int32_t characters) { entryLengthLimit = characters; }

    const IBlend& Blend() const { return blend; }
    ITextStyle& TextStyle() { return textStyle; }
    void SetTextStyle(const ITextStyle& style) { textStyle = style; }

    // Readouts that show the parameter's value text and name; owned by the editor.
    ITextControl* ValueTextControl() const { return valueText; }
    void SetValueTextControl(ITextControl* text) { valueText = text; }
    ITextControl* NameTextControl() const { return nameText; }
    void SetNameTextControl(ITextControl* text) { nameText = text; }

    void AddLinkedParam(int32_t linkedParamIndex);
    const std::vector<ILinkedParam>& LinkedParams() const { return linkedParams; }

    const std::string& Tooltip() const { return tooltip; }
    void SetTooltip(const char* text) { tooltip = text ? text : ""; }

protected:
    int32_t entryLengthLimit = kDefaultEntryLengthLimit;
    ITextStyle textStyle;
    IEffectBase* plug;
    IRect rect;
    IRect targetRect;
    int32_t paramIndex;
    std::vector<ILinkedParam> linkedParams;
    double value = 0.0;
    double defaultValue = -1.0;          // negative: no default yet
    double lowerClamp = 0.0;
    double upperClamp = 1.0;
    bool dirty = true;
    bool hidden = false;
    bool greyed = false;
    bool pendingRedraw = false;
    bool valuePromptDisabled = true;
    bool doubleClickActsAsPress = false;
    bool hoverWhenGreyed = false;
    IBlend blend;
    ITextControl* valueText = nullptr;
    ITextControl* nameText = nullptr;
    std::string tooltip;
    IGraphics* graphics = nullptr;

private:
    void UpdateReadouts(const IParamEntry& param);
};
