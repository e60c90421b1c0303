#pragma once

#include <functional>
#include <string_view>

namespace mouthkey {

// Receives text in chunks of bounded size. A chunk is valid only during the call.
using ChunkSink = std::function<void(std::string_view)>;

} // namespace mouthkey
