// Answers the server compressed because this client asked (Accept-Encoding:
// zstd), made plain again, with a bound on what a frame may expand to.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace vlm {

// Asked for only when the server is not on this machine: on loopback the
// compression costs more than the bytes it saves.
bool WantsCompressedAnswers(std::string_view host);

// The plain text of a zstd frame; nullopt for a damaged frame or one that
// expands beyond `limit` bytes.
std::optional<std::string> DecompressZstd(std::string_view frame, std::size_t limit = std::size_t{1} << 31);

}  // namespace vlm
