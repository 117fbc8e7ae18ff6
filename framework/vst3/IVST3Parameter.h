#pragma once

#include "IParamEntry.h"

#include "public.sdk/source/vst/vstparameters.h"

// The host's view of one plug-in parameter: an SDK parameter whose information, texts and
// value mappings all come from the framework's parameter entry it mirrors. The entry is owned
// by the instance, which outlives its SDK parameter objects.
class IVST3Parameter : public Steinberg::Vst::Parameter
{
public:
    IVST3Parameter(const IParamEntry& entry, Steinberg::Vst::ParamID id, Steinberg::Vst::UnitID unit);

    void toString(Steinberg::Vst::ParamValue valueNormalized, Steinberg::Vst::String128 string) const override;
    // Reads a decimal number (whatever the host's locale), clamps it into the parameter's range
    // and answers its normalised value; numbers beyond the range of doubles clamp like any
    // other. Text that holds no number is refused.
    bool fromString(const Steinberg::Vst::TChar* string, Steinberg::Vst::ParamValue& valueNormalized) const override;
    Steinberg::Vst::ParamValue toPlain(Steinberg::Vst::ParamValue valueNormalized) const override;
    Steinberg::Vst::ParamValue toNormalized(Steinberg::Vst::ParamValue plainValue) const override;

    const IParamEntry& Entry() const { return entry; }

    OBJ_METHODS(IVST3Parameter, Parameter)

private:
    const IParamEntry& entry;
};
