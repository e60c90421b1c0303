#include "ScriptAlignment.h"

namespace mouthkey::speech {

SoundTiming alignScript(const Sound&, const TimingRequest&, const ModelFiles&) {
    SoundTiming timing;
    timing.error = "timing with a script is not built yet";
    return timing;
}

} // namespace mouthkey::speech
