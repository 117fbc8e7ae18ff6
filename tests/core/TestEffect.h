#pragma once

#include "IEffectOffline.h"

#include <string>
#include <vector>

// A plug-in for exercising the core: 19 parameters on "1-1 2-2", one preset slot, and a log
// of what the core tells it and what it tells the host.
class TestEffect : public IEffectOffline
{
public:
    static IEffectConfig Config(int32_t presets = 1)
    {
        return IEffectConfig{"Test Effect", "", "Test Maker", FourCharCode('T', 's', 't', '1'),
                             FourCharCode('T', 's', 't', 'M'), 0x00010208, "1-1 2-2", 19, presets,
                             251, 373, false, false, true};
    }

    explicit TestEffect(int32_t presets = 1) : IEffectOffline(nullptr, Config(presets))
    {
        for (int32_t i = 0; i < ParameterCount(); ++i)
            Parameter(i)->InitContinuous(("p" + std::to_string(i)).c_str(), 0.5, 0.0, 1.0, 0.001, "");
        // One parameter with a range that excludes 0, to see clamping of missing values.
        Parameter(7)->InitContinuous("Gain", 4.0, 2.0, 10.0, 0.5, "dB");
    }

    void OnParameterChanged(int32_t index) override
    {
        IEffectOffline::OnParameterChanged(index);
        log.push_back("changed " + std::to_string(index));
    }
    void ReportEditToHost(int32_t index, double) override { log.push_back("host " + std::to_string(index)); }
    void OnPresetRestored() override { log.push_back("restored"); }

    std::vector<std::string> log;
};
