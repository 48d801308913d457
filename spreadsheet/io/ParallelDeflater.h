// One raw deflate stream made on every core. The input is cut into blocks; each block is
// deflated on a worker, primed with the last 32 KiB of the block before it (so the ratio stays
// that of one stream), and ends byte-aligned with a sync flush, except the last, which ends the
// stream. Joined in order, the blocks are one standard stream that any inflater reads. The
// CRC-32 of the whole input is combined from the blocks' own.
//
// Memory stays flat: at most a few blocks are in flight; when they are all taken, write()
// waits for the oldest to finish and hands it to the sink. The sink is only ever called on
// the thread that calls write() and finish(), in stream order.
#pragma once

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace qv::sheet {

// zlib's match search in place of the level's own (deflateTune); all 0 keeps the level's.
struct DeflateSearch {
    int goodLength = 0, maxLazy = 0, niceLength = 0, maxChain = 0;
};

class ParallelDeflater {
  public:
    using Sink = std::function<void(const char* data, std::size_t size)>;
    static constexpr std::size_t DefaultBlock = std::size_t{1} << 19;
    using Search = DeflateSearch;

    // `workers` 0: one per core. Blocks below 64 KiB are raised to it, since the dictionary of
    // 32 KiB would otherwise be most of each block's work.
    ParallelDeflater(int level, Sink sink, unsigned workers = 0, std::size_t blockSize = DefaultBlock,
                     Search search = {});
    // Abandons a stream that was not finished; the workers stop without calling the sink.
    ~ParallelDeflater();
    ParallelDeflater(const ParallelDeflater&) = delete;
    ParallelDeflater& operator=(const ParallelDeflater&) = delete;

    void write(const char* data, std::size_t size);
    // Ends the stream and hands every remaining byte to the sink. Errors of a worker (zlib out
    // of memory) and of the sink are raised here or in write(), never lost.
    void finish();

    std::uint32_t crc() const { return mCrc; }
    std::uint64_t bytesIn() const { return mIn; }
    std::uint64_t bytesOut() const { return mOut; }

  private:
    // A growable byte buffer that is never zero-filled: blocks are reused, and clearing a
    // megabyte per block would cost as much as copying it.
    struct Bytes {
        std::unique_ptr<char[]> data;
        std::size_t capacity = 0, size = 0;
        void reserve(std::size_t n, bool keep);
    };
    struct Block {
        Bytes dictionary; // the previous block's tail
        Bytes input;
        Bytes output;
        std::uint32_t crc = 0;
        bool last = false;
        bool done = false;
        std::exception_ptr error;
    };
    void submit(bool last);
    void drainOldest();
    void drainFinished();
    void workerLoop();
    static void compress(Block& b, int level, const Search& search);

    int mLevel;
    Search mSearch;
    Sink mSink;
    unsigned mWorkerCount;
    std::size_t mBlockSize;
    std::unique_ptr<Block> mFilling;
    Bytes mTail;                                  // the last 32 KiB handed on
    std::deque<std::unique_ptr<Block>> mInFlight; // in stream order
    std::deque<Block*> mQueue;                    // waiting for a worker
    std::vector<std::unique_ptr<Block>> mSpare;   // drained blocks kept for their buffers
    std::mutex mMutex;
    std::condition_variable mWork, mDone;
    std::vector<std::thread> mWorkers;
    bool mStop = false;
    bool mFinished = false;
    std::uint32_t mCrc = 0;
    std::uint64_t mIn = 0, mOut = 0;
};

} // namespace qv::sheet
