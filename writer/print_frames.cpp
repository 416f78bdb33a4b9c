#include "writer/print.hpp"

#include <condition_variable>
#include <cstddef>
#include <exception>
#include <memory>
#include <mutex>
#include <string>
#include <system_error>
#include <thread>
#include <vector>

namespace morvane {
namespace {

// Frames printed into memory by one worker, to be written in their turn.
struct batch {
    std::string text; // what did not fit in the writer's block
    string_sink sink{text};
    writer w{sink};
    std::vector<frame*> frames;
    std::exception_ptr failed;
};

// The batches handed over for printing, in the order they are to be written.
// Everything here is guarded by `lock_`, but for a batch's contents: the
// writing thread fills a batch before handing it over and writes it once the
// batch is marked printed; in between, only the thread that took it (a worker,
// or the writing thread as it waits) touches it.
class print_queue {
  public:
    // A ring of `batches` batches, and up to `workers` workers: as many as
    // threads can be had for.
    print_queue(std::size_t batches, std::size_t workers) : ring_(batches) {
        for (auto& b : ring_) b = std::make_unique<batch>();
        workers_.reserve(workers); // so that only starting a thread can fail below
        for (std::size_t i = 0; i < workers; ++i) {
            try {
                workers_.emplace_back([this] { work(); });
            } catch (const std::system_error&) {
                break;
            }
        }
    }
    print_queue(const print_queue&) = delete;
    print_queue& operator=(const print_queue&) = delete;
    // However the writing thread leaves, the workers stop once the batch each
    // is printing is done, and are joined.
    ~print_queue() {
        {
            const std::scoped_lock hold(lock_);
            stopping_ = true;
        }
        work_.notify_all();
        for (std::thread& t : workers_) t.join();
    }

    [[nodiscard]] std::size_t workers() const noexcept { return workers_.size(); }

    [[nodiscard]] std::size_t size() const noexcept { return ring_.size(); }
    // The k-th batch handed over, counting from 0; the ring holds size() of them.
    [[nodiscard]] batch& at(std::size_t k) noexcept { return *ring_[k % ring_.size()]; }

    void hand_over() {
        {
            const std::scoped_lock hold(lock_);
            ++handed_;
        }
        work_.notify_one();
    }
    // Waits until the k-th batch handed over is printed, printing meanwhile
    // those that no worker has taken.
    void wait_printed(std::size_t k) {
        std::unique_lock hold(lock_);
        while (printed_upto_[k % ring_.size()] <= k) {
            if (taken_ < handed_) {
                const std::size_t j = taken_++;
                hold.unlock();
                print(j);
                hold.lock();
            } else {
                done_.wait(hold);
            }
        }
    }

  private:
    // A worker: prints batches in turn until told to stop.
    void work() {
        for (;;) {
            std::size_t k;
            {
                std::unique_lock hold(lock_);
                work_.wait(hold, [&] { return stopping_ || taken_ < handed_; });
                if (stopping_) return;
                k = taken_++;
            }
            print(k);
        }
    }
    // Prints the k-th batch, taken by this thread, and marks it printed.
    void print(std::size_t k) {
        batch& b = at(k);
        try {
            for (frame* f : b.frames) print_frame(b.w, f);
        } catch (...) {
            b.failed = std::current_exception();
        }
        {
            const std::scoped_lock hold(lock_);
            printed_upto_[k % ring_.size()] = k + 1;
        }
        done_.notify_one();
    }

    std::vector<std::unique_ptr<batch>> ring_;
    std::mutex lock_;
    std::condition_variable work_; // a batch was handed over, or stop
    std::condition_variable done_; // a batch was printed
    bool stopping_ = false;
    std::size_t handed_ = 0; // batches handed over so far
    std::size_t taken_ = 0;  // of those, taken for printing
    // Per slot of the ring: one past the number of the last batch printed in it.
    std::vector<std::size_t> printed_upto_ = std::vector<std::size_t>(ring_.size(), 0);
    std::vector<std::thread> workers_; // last: started once all above is ready
};

} // namespace

// The frames in order. Workers print batches of them into memory while this
// thread takes the frames of the batches to come and writes the printed ones
// in order, printing batches too while it waits; a frame larger than a batch
// it prints itself, once every batch before it is written. Only this thread
// writes to `out`, so whatever holds for its writes (an interruption leaves no
// half-written file) holds for all. Workers that wait for the next batch,
// rather than a thread per batch and a round of them at a time that waits for
// its slowest: realistic 100 MiB, the frames printed in 83-88 ms against
// 92-112, the whole run 0.288 s against 0.327 (15 interleaved runs). This
// thread printing as it waits, with a worker fewer: 74 ms against 81 (medians
// of 9 interleaved runs; a worker per thread besides it: 83).
void print_frames(writer& out, const list<frame>& frames, std::size_t threads,
                  std::size_t batch_records) {
    print_queue queue(threads > 1 ? 2 * threads : 0, threads > 1 ? threads - 1 : 0);
    if (queue.workers() == 0) batch_records = 0; // every frame printed here

    const auto records = [](const frame* f) {
        return 1 + f->sprites.size() + f->points.size() + f->colrects.size();
    };
    auto* next = frames.head;
    std::size_t handed = 0;  // batches handed over
    std::size_t written = 0; // of those, written
    for (;;) {
        // Hand over as many batches as the ring holds, up to a frame larger than a batch.
        while (handed - written < queue.size() && next != nullptr &&
               records(next->data) <= batch_records) {
            std::vector<frame*>& taken = queue.at(handed).frames;
            for (std::size_t n = 0; next != nullptr && n + records(next->data) <= batch_records;
                 next = next->next)
                n += records(next->data), taken.push_back(next->data);
            queue.hand_over();
            ++handed;
        }
        if (written < handed) {
            queue.wait_printed(written);
            batch& b = queue.at(written++);
            if (b.failed) std::rethrow_exception(b.failed);
            out.write_bytes(b.text);
            b.text.clear();
            out.take_buffered(b.w);
            b.frames.clear();
        } else if (next != nullptr) {
            print_frame(out, next->data);
            next = next->next;
        } else {
            return;
        }
    }
}

} // namespace morvane
