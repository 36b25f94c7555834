#include "organizer/tagprefetcher.h"

#include <algorithm>
#include <cstdlib>
#include <system_error>

#include "platform/filetype.h"

namespace {

std::size_t BytesOf(const TrackTags& tags) {
    return tags.title.size() + tags.artist.size() + tags.album.size();
}

std::size_t BytesOf(const std::optional<FileTags>& tags) {
    return tags ? BytesOf(tags->firstSet) + BytesOf(tags->id3v2) : 0;
}

}  // namespace

TagPrefetcher::TagPrefetcher(const FileList& list, TagReadFunction read, std::size_t readers,
                             std::size_t window, std::size_t heldBytes)
    : list_(list),
      read_(std::move(read)),
      window_(std::max<std::size_t>(window, 1)),
      heldBytes_(std::max<std::size_t>(heldBytes, 1)),
      slots_(window_) {
    readers = std::min(readers, list.size());
    try {
        for (std::size_t i = 0; i < readers; ++i) {
            readers_.emplace_back([this] { ReadAhead(); });
        }
    } catch (const std::system_error&) {
        // The threads started so far read ahead; with none, every file is read at its turn.
    }
}

TagPrefetcher::~TagPrefetcher() {
    {
        const std::lock_guard lock(mutex_);
        stopping_ = true;
    }
    readable_.notify_all();
    for (std::thread& reader : readers_) {
        reader.join();
    }
}

FileTags TagPrefetcher::Take(std::size_t index) {
    std::unique_lock lock(mutex_);
    Slot& slot = slots_[index % window_];
    std::optional<FileTags> tags;
    if (!readers_.empty()) {
        waitingFor_ = index;
        ready_.wait(lock, [&] { return slot.ready; });
        waitingFor_ = kNone;
        tags = std::move(slot.tags);
        slot = {};
        held_ -= BytesOf(tags);
    }
    taken_ = index + 1;
    // Readers that found the window full, or its bytes, sleep until half of it is free again:
    // waking one for every file taken would cost more, on a warm cache, than the reading it
    // buys.
    const bool refill =
        taken_ + window_ >= nextToRead_ + (window_ + 1) / 2 && held_ <= heldBytes_ / 2;
    lock.unlock();
    if (refill) {
        readable_.notify_all();
    }
    return tags ? std::move(*tags) : read_(list_[index]);
}

void TagPrefetcher::ReadAhead() {
    std::unique_lock lock(mutex_);
    while (true) {
        readable_.wait(lock, [&] {
            return stopping_ || nextToRead_ >= list_.size() ||
                   (nextToRead_ < taken_ + window_ && held_ < heldBytes_);
        });
        if (stopping_ || nextToRead_ >= list_.size()) {
            return;
        }
        const std::size_t index = nextToRead_++;
        lock.unlock();
        std::optional<FileTags> tags;
        try {
            if (!IsSymbolicLink(list_[index])) {
                tags = read_(list_[index]);
            }
        } catch (...) {
            // Read again at its turn, where a failure is the pass's to meet.
            tags.reset();
        }
        lock.lock();
        Slot& slot = slots_[index % window_];
        held_ += BytesOf(tags);
        slot.tags = std::move(tags);
        slot.ready = true;
        if (index == waitingFor_) {
            ready_.notify_one();
        }
    }
}

std::size_t ReadAheadReaders() {
    if (const char* setting = std::getenv("SORTUNE_READ_AHEAD")) {
        char* end = nullptr;
        const unsigned long readers = std::strtoul(setting, &end, 10);
        if (end != setting && *end == '\0') {
            return std::min<std::size_t>(readers, kMaxReaders);
        }
    }
    const std::size_t processors = std::max(1U, std::thread::hardware_concurrency());
    return std::clamp<std::size_t>(8 * processors, 8, kMaxReaders);
}
