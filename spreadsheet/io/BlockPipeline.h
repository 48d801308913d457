// Writes a long output made of independent blocks (rows of a sheet, say) with both cores: a
// worker formats blocks while the calling thread formats others and writes every finished block
// to the file in order. At most a few blocks are held at a time, so memory stays flat whatever
// the size of the output, and each block's buffer is reused rather than allocated again.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>

namespace qv::sheet {

class BlockPipeline {
  public:
    // Appends block `index` to `out` (handed over empty, its capacity kept from earlier blocks).
    // It runs on either thread, so it may only read what no one changes meanwhile.
    using Format = std::function<void(std::size_t index, std::string& out)>;
    // Takes a finished block; always called on the calling thread, in block order.
    using Write = std::function<void(std::string_view block)>;

    // Runs `blocks` blocks through `format` and `write`. `threads` 0 takes the machine's cores
    // (at most two: one writer keeps up with one more formatter); 1 does everything on the
    // calling thread. A failure of either function stops both threads; the first one is
    // raised here, after the worker has ended, and no block after it is written.
    static void run(std::size_t blocks, const Format& format, const Write& write, unsigned threads = 0);
};

} // namespace qv::sheet
