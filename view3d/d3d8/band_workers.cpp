// The persistent pool that rasterises bands of the screen: the caller and its workers take bands
// one at a time from a shared counter, so a band crowded with tiles does not hold up the others.

#include <cassert>
#include <system_error>

#include "view3d/d3d8/device_local.h"

bool BandWorkers::Start(int threadCount) {
    assert(threads_.empty());
    stopping_ = false;
    for (int i = 1; i < threadCount; ++i) {
        try {
            threads_.emplace_back(&BandWorkers::WorkerLoop, this);
        } catch (const std::system_error&) {
            // Fewer threads only make the frames slower; the pool still runs every band.
            return false;
        }
    }
    return true;
}

void BandWorkers::Stop() {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        stopping_ = true;
    }
    wake_.notify_all();
    for (std::thread& thread : threads_) {
        thread.join();
    }
    threads_.clear();
}

void BandWorkers::TakeBands() {
    for (;;) {
        const int band = nextBand_.fetch_add(1, std::memory_order_relaxed);
        if (band >= bandCount_) {
            return;
        }
        job_(context_, band);
    }
}

void BandWorkers::Run(Job job, void* context, int bandCount) {
    {
        std::lock_guard<std::mutex> lock(mutex_);
        job_ = job;
        context_ = context;
        bandCount_ = bandCount;
        nextBand_.store(0, std::memory_order_relaxed);
        workersBusy_ = static_cast<int>(threads_.size());
        ++generation_;
    }
    wake_.notify_all();
    TakeBands();
    std::unique_lock<std::mutex> lock(mutex_);
    finished_.wait(lock, [this] { return workersBusy_ == 0; });
}

void BandWorkers::WorkerLoop() {
    std::uint64_t seen = 0;
    for (;;) {
        {
            std::unique_lock<std::mutex> lock(mutex_);
            wake_.wait(lock, [&] { return stopping_ || generation_ != seen; });
            if (stopping_) {
                return;
            }
            seen = generation_;
        }
        TakeBands();
        bool last = false;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            last = --workersBusy_ == 0;
        }
        if (last) {
            finished_.notify_one();
        }
    }
}
