#pragma once

#include <cstddef>

namespace arb {

// Asks the kernel to back the whole 2 MiB pages inside [data, data + bytes) with huge pages.
// Memory touched for the first time costs a page fault per 4 KiB page, which makes a fresh buffer
// of a hundred megabytes cost far more to fill than to read; with huge pages that cost nearly
// vanishes. Call it on a large buffer between its allocation and its first write (for a
// std::string or std::vector: after reserve(), before resize()). Small buffers and failures are
// ignored: the advice only changes speed.
void AdviseHugePages(const void* data, std::size_t bytes);

} // namespace arb
