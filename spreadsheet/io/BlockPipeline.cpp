// See BlockPipeline.h. Blocks are handed out in order from one counter; a block may be claimed
// only while it lies fewer than Slots blocks ahead of the next one to write, which bounds the
// memory and lets a slow writer hold back the formatter. The calling thread writes whatever is
// ready first and formats only when nothing is waiting to be written.
#include "spreadsheet/io/BlockPipeline.h"

#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace qv::sheet {

namespace {

constexpr std::size_t Slots = 4;

class Shared {
  public:
    Shared(std::size_t blocks, const BlockPipeline::Format& format) : mBlocks(blocks), mFormat(format) {}

    // The worker's loop: claim, format, hand over, until every block is claimed or a failure
    // stopped the run.
    void work() {
        for (;;) {
            std::size_t index;
            {
                std::unique_lock lock(mMutex);
                mChanged.wait(lock, [&] { return mStop || mNext >= mBlocks || mNext < mWritten + Slots; });
                if (mStop || mNext >= mBlocks) return;
                index = mNext++;
            }
            if (!formatInto(index)) return;
        }
    }

    // The calling thread's loop.
    void drive(const BlockPipeline::Write& write) {
        while (mWritten < mBlocks) {
            std::size_t claim = mBlocks;
            {
                std::unique_lock lock(mMutex);
                mChanged.wait(lock, [&] {
                    return mFailure || mReady[slot(mWritten)] ||
                           (mNext < mBlocks && mNext < mWritten + Slots);
                });
                if (mFailure) std::rethrow_exception(mFailure);
                if (!mReady[slot(mWritten)]) claim = mNext++;
            }
            if (claim != mBlocks) {
                if (!formatInto(claim)) std::rethrow_exception(failure());
                continue;
            }
            write(mBuffers[slot(mWritten)]);
            std::lock_guard lock(mMutex);
            mReady[slot(mWritten)] = false;
            ++mWritten;
            mChanged.notify_all();
        }
    }

    void stop() {
        std::lock_guard lock(mMutex);
        mStop = true;
        mChanged.notify_all();
    }

  private:
    static std::size_t slot(std::size_t index) { return index % Slots; }

    std::exception_ptr failure() {
        std::lock_guard lock(mMutex);
        return mFailure;
    }

    // False when the format failed (the failure is kept for the caller).
    bool formatInto(std::size_t index) {
        std::string& out = mBuffers[slot(index)];
        out.clear();
        try {
            mFormat(index, out);
        } catch (...) {
            std::lock_guard lock(mMutex);
            if (!mFailure) mFailure = std::current_exception();
            mStop = true;
            mChanged.notify_all();
            return false;
        }
        std::lock_guard lock(mMutex);
        mReady[slot(index)] = true;
        mChanged.notify_all();
        return true;
    }

    const std::size_t mBlocks;
    const BlockPipeline::Format& mFormat;
    std::mutex mMutex;
    std::condition_variable mChanged;
    std::string mBuffers[Slots];
    bool mReady[Slots] = {};
    std::size_t mNext = 0, mWritten = 0;
    bool mStop = false;
    std::exception_ptr mFailure;
};

} // namespace

void BlockPipeline::run(std::size_t blocks, const Format& format, const Write& write, unsigned threads) {
    if (threads == 0) threads = std::thread::hardware_concurrency() >= 2 ? 2 : 1;
    if (threads < 2 || blocks < 2) {
        std::string out;
        for (std::size_t i = 0; i < blocks; ++i) {
            out.clear();
            format(i, out);
            write(out);
        }
        return;
    }
    Shared shared(blocks, format);
    std::thread worker([&shared] { shared.work(); });
    try {
        shared.drive(write);
    } catch (...) {
        shared.stop();
        worker.join();
        throw;
    }
    worker.join();
}

} // namespace qv::sheet
