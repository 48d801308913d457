// See ParallelDeflater.h. A block is deflated as a raw stream of its own, with the previous
// input's last 32 KiB as preset dictionary so that matches reach back over the cut as they
// would in one stream. Z_SYNC_FLUSH ends a block on a byte boundary with no final bit, which
// is what lets the pieces be joined as they are; the last block alone ends with Z_FINISH.
#include "spreadsheet/io/ParallelDeflater.h"

#include "platform/NumberedError.h"

#include <algorithm>
#include <cstring>
#include <zlib.h>

namespace qv::sheet {

namespace {
constexpr std::size_t Window = std::size_t{1} << 15;

struct DeflateStream {
    z_stream s{};
    bool open = false;
    ~DeflateStream() {
        if (open) deflateEnd(&s);
    }
};

[[noreturn]] void zlibFailed(const char* what, int rc) {
    if (rc == Z_MEM_ERROR) throw ErrorCatalogue::make(err::OutOfMemory, "Workbook");
    throw NumberedError(err::ApplicationDefined, "Workbook",
                        std::string("Compressing the workbook failed (") + what + ", zlib " +
                            std::to_string(rc) + ").");
}

// zlib counts in 32-bit units; a block is far below that, the CRC of a span need not be.
std::uint32_t crcOf(std::uint32_t crc, const char* data, std::size_t size) {
    while (size > 0) {
        uInt n = static_cast<uInt>(std::min<std::size_t>(size, 1u << 30));
        crc = static_cast<std::uint32_t>(crc32(crc, reinterpret_cast<const Bytef*>(data), n));
        data += n;
        size -= n;
    }
    return crc;
}
} // namespace

void ParallelDeflater::Bytes::reserve(std::size_t n, bool keep) {
    if (n <= capacity) return;
    std::unique_ptr<char[]> bigger(new char[n]);
    if (keep && size) std::memcpy(bigger.get(), data.get(), size);
    data = std::move(bigger);
    capacity = n;
}

ParallelDeflater::ParallelDeflater(int level, Sink sink, unsigned workers, std::size_t blockSize,
                                   Search search)
    : mLevel(level), mSearch(search), mSink(std::move(sink)),
      mWorkerCount(workers ? workers : std::max(1u, std::thread::hardware_concurrency())),
      mBlockSize(std::max<std::size_t>(blockSize, std::size_t{1} << 16)),
      mFilling(std::make_unique<Block>()) {
    if (level < 0 || level > 9)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "The compression level " + std::to_string(level) + " is not between 0 and 9.");
    mFilling->input.reserve(mBlockSize, false);
    mTail.reserve(Window, false);
}

ParallelDeflater::~ParallelDeflater() {
    {
        std::lock_guard<std::mutex> lock(mMutex);
        mStop = true;
    }
    mWork.notify_all();
    for (std::thread& t : mWorkers)
        t.join();
}

void ParallelDeflater::write(const char* data, std::size_t size) {
    if (mFinished)
        throw NumberedError(err::ApplicationDefined, "Workbook",
                            "Data was written after the part was ended.");
    while (size > 0) {
        Bytes& in = mFilling->input;
        std::size_t n = std::min(size, mBlockSize - in.size);
        std::memcpy(in.data.get() + in.size, data, n);
        in.size += n;
        data += n;
        size -= n;
        if (in.size == mBlockSize) submit(false);
    }
}

void ParallelDeflater::finish() {
    if (mFinished) return;
    submit(true);
    while (!mInFlight.empty())
        drainOldest();
    mFinished = true;
}

void ParallelDeflater::submit(bool last) {
    Block& b = *mFilling;
    b.last = last;
    b.done = false;
    b.error = nullptr;
    b.crc = 0;
    b.output.size = 0;
    b.dictionary.reserve(Window, false);
    std::memcpy(b.dictionary.data.get(), mTail.data.get(), mTail.size);
    b.dictionary.size = mTail.size;
    // The next block's dictionary: the last 32 KiB of everything so far.
    const Bytes& in = b.input;
    if (in.size >= Window) {
        std::memcpy(mTail.data.get(), in.data.get() + in.size - Window, Window);
        mTail.size = Window;
    } else {
        std::size_t keep = std::min(mTail.size, Window - in.size);
        std::memmove(mTail.data.get(), mTail.data.get() + mTail.size - keep, keep);
        std::memcpy(mTail.data.get() + keep, in.data.get(), in.size);
        mTail.size = keep + in.size;
    }
    mIn += in.size;

    Block* raw = mFilling.get();
    if (last && mWorkers.empty()) {
        // A part that fits one block never starts a thread.
        compress(b, mLevel, mSearch);
        b.done = true;
        mInFlight.push_back(std::move(mFilling));
    } else {
        while (mWorkers.size() < mWorkerCount)
            mWorkers.emplace_back([this] { workerLoop(); });
        {
            std::lock_guard<std::mutex> lock(mMutex);
            mInFlight.push_back(std::move(mFilling));
            mQueue.push_back(raw);
        }
        mWork.notify_one();
    }
    if (!mSpare.empty()) {
        mFilling = std::move(mSpare.back());
        mSpare.pop_back();
    } else {
        mFilling = std::make_unique<Block>();
    }
    mFilling->input.size = 0;
    mFilling->input.reserve(mBlockSize, false);
    // Two blocks per worker keep every core busy while the oldest is handed on; more would
    // only hold memory.
    while (mInFlight.size() > 2 * static_cast<std::size_t>(mWorkerCount))
        drainOldest();
    drainFinished();
}

void ParallelDeflater::drainFinished() {
    for (;;) {
        {
            std::lock_guard<std::mutex> lock(mMutex);
            if (mInFlight.empty() || !mInFlight.front()->done) return;
        }
        drainOldest();
    }
}

void ParallelDeflater::drainOldest() {
    std::unique_ptr<Block> b;
    {
        std::unique_lock<std::mutex> lock(mMutex);
        mDone.wait(lock, [this] { return mInFlight.front()->done; });
        b = std::move(mInFlight.front());
        mInFlight.pop_front();
    }
    if (b->error) std::rethrow_exception(b->error);
    mCrc = static_cast<std::uint32_t>(crc32_combine(mCrc, b->crc, static_cast<z_off_t>(b->input.size)));
    mOut += b->output.size;
    Block* keep = b.get();
    mSpare.push_back(std::move(b));
    mSink(keep->output.data.get(), keep->output.size);
}

void ParallelDeflater::workerLoop() {
    for (;;) {
        Block* b = nullptr;
        {
            std::unique_lock<std::mutex> lock(mMutex);
            mWork.wait(lock, [this] { return mStop || !mQueue.empty(); });
            if (mStop) return;
            b = mQueue.front();
            mQueue.pop_front();
        }
        try {
            compress(*b, mLevel, mSearch);
        } catch (...) {
            b->error = std::current_exception();
        }
        {
            std::lock_guard<std::mutex> lock(mMutex);
            b->done = true;
        }
        mDone.notify_all();
    }
}

void ParallelDeflater::compress(Block& b, int level, const Search& search) {
    b.crc = crcOf(0, b.input.data.get(), b.input.size);
    DeflateStream z;
    int rc = deflateInit2(&z.s, level, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY);
    if (rc != Z_OK) zlibFailed("init", rc);
    z.open = true;
    if (search.maxChain > 0) {
        rc = deflateTune(&z.s, search.goodLength, search.maxLazy, search.niceLength, search.maxChain);
        if (rc != Z_OK) zlibFailed("tune", rc);
    }
    if (b.dictionary.size) {
        rc = deflateSetDictionary(&z.s, reinterpret_cast<const Bytef*>(b.dictionary.data.get()),
                                  static_cast<uInt>(b.dictionary.size));
        if (rc != Z_OK) zlibFailed("dictionary", rc);
    }
    z.s.next_in = reinterpret_cast<Bytef*>(b.input.data.get());
    z.s.avail_in = static_cast<uInt>(b.input.size);
    // A sync flush adds an empty stored block (5 bytes) and the bits before it to the bound.
    b.output.reserve(deflateBound(&z.s, static_cast<uLong>(b.input.size)) + 64, false);
    const int flush = b.last ? Z_FINISH : Z_SYNC_FLUSH;
    for (;;) {
        z.s.next_out = reinterpret_cast<Bytef*>(b.output.data.get() + b.output.size);
        z.s.avail_out = static_cast<uInt>(b.output.capacity - b.output.size);
        rc = deflate(&z.s, flush);
        b.output.size = b.output.capacity - z.s.avail_out;
        if (rc == Z_STREAM_END) return;
        if (rc != Z_OK && rc != Z_BUF_ERROR) zlibFailed("deflate", rc);
        if (!b.last && z.s.avail_out != 0 && z.s.avail_in == 0) return;
        b.output.reserve(b.output.capacity * 2, true);
    }
}

} // namespace qv::sheet
