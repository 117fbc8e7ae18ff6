#pragma once

#include "public.sdk/source/common/pluginview.h"

#include <cstdint>

class IEffectVST3;

// The editor view a VST3 host embeds in its window. It shows the instance's editor object,
// which outlives every view; without an editor the view declines every platform. The view
// holds a reference to its instance for as long as it exists.
class IEffectVST3View : public Steinberg::CPluginView
{
public:
    explicit IEffectVST3View(IEffectVST3& effect);
    ~IEffectVST3View() override;

    Steinberg::tresult PLUGIN_API isPlatformTypeSupported(Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API attached(void* parent, Steinberg::FIDString type) override;
    Steinberg::tresult PLUGIN_API removed() override;
    Steinberg::tresult PLUGIN_API getSize(Steinberg::ViewRect* size) override;
    Steinberg::tresult PLUGIN_API onSize(Steinberg::ViewRect* newSize) override;

    // Asks the host's frame to resize the view; the next onSize tells the plug-in.
    void RequestResize(int32_t width, int32_t height);

    OBJ_METHODS(IEffectVST3View, CPluginView)

private:
    // The editor's window, when this view opened it, closes.
    void CloseEditorWindow();

    IEffectVST3& effect;
    bool resizePending = false;
    bool editorOpen = false;
};
