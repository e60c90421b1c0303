#pragma once

#include <optional>
#include <span>
#include <string_view>

namespace mouthkey::speecheval {

// The ARPAbet phones (the English model's names) an espeak-ng English
// phoneme mnemonic stands for, in order; "SIL" for its pauses. Some
// mnemonics are two phones ("aI@" is AY AH), which share its time. An empty
// span: the mnemonic makes no sound of its own, and the phone before it goes
// on. Nothing: the mnemonic is not in the table.
std::optional<std::span<const std::string_view>> arpabetForEspeak(std::string_view mnemonic);

} // namespace mouthkey::speecheval
