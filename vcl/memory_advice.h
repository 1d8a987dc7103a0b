// Asks the kernel to back a large buffer with huge pages: a column of a
// million rows then takes a few page faults instead of thousands, and random
// lookups into it miss the TLB far less. Only whole huge pages inside the
// range are advised, so memory beyond `bytes` is never backed by them.
#pragma once

#include <cstddef>

namespace vcl {

void AdviseHugePages(const void* data, std::size_t bytes);

// Maps in the pages of a buffer about to be filled, in one call: writing a
// fresh buffer would otherwise stop at every page for the kernel to map it,
// and each of those stops costs far more than the page's zeroing.
void PrefaultForWrite(void* data, std::size_t bytes);

// Keeps the memory that large buffers free in the process for the next
// ones, instead of giving it back to the system at each free. A desktop that
// loads large results again and again then fills memory already mapped: the
// first write to fresh memory costs about as much as decoding into it. The
// process keeps its largest footprint until it ends. Called once at start.
void KeepFreedMemoryForReuse();

}  // namespace vcl
