// Large buffers on large pages: on systems that back memory with large
// pages only when asked, a buffer of many megabytes otherwise costs one
// page fault for every 4 KB when it is first written.
#pragma once

#include <cstddef>

namespace orvane {

/// Asks the system to back the whole 2 MB stretches inside the buffer with
/// large pages. Only a hint: does nothing for small buffers, on systems
/// without it, or when the system declines. Call before first writing.
void AdviseLargePages(void* buffer, std::size_t bytes);

} // namespace orvane
