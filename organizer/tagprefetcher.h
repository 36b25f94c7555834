#pragma once

#include <condition_variable>
#include <cstddef>
#include <functional>
#include <mutex>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "organizer/tagrewrite.h"
#include "organizer/trackdiscovery.h"
#include "organizer/tracktags.h"

// Reads the tags of the files of a pass ahead of it. On a cold cache each file's tags wait for
// the disk, which answers many requests at once far faster than one after another; so a few
// reader threads read the next files of the list while the pass handles the current one.
//
// The pass itself stays on its thread and takes the tags in its order, so its decisions,
// messages and stop points are those of a pass that reads each file at its turn. Reading tags
// changes nothing and touches no run state. What the pass does can change what a file reads
// as only where the file is a symbolic link (its target may be renamed first), so a link is
// read at its turn.
//
// The memory reading ahead takes is bounded whatever the files: the readers keep at most
// `window` files ahead of the pass, and stop while the tags read and not yet taken hold
// `heldBytes` or more (names are made of a few dozen bytes, but a frame may give a field up to
// 64 KB). Each reader has one file in flight, whose read is bounded by its reader
// (organizer/id3v2tag.h, asfmeta/readonlyfilestream.h): a read's memory need not follow the
// size of the file (TagLib, unbounded, made 60 MB of a WMA file of 17 KB), so the sizes of the
// files would bound nothing.

// The two tag sets of one file, in the order a title is looked for: the first is ID3v1 of an
// MP3, APE or WavPack file, the attributes of a WMA file or the own tag of a FLAC, Ogg or MP4
// file; the second ID3v2 of an MP3 file, the APE tag of an APE or WavPack file (else empty).
struct FileTags {
    TrackTags firstSet;
    TrackTags id3v2;
    std::optional<TagRewrite> repair;  // of an MP3 file, when its tags are to be repaired
    bool notMusic = false;             // an MP4 film, which keeps its name
};

// Reads the tags of the file at a path. Called on reader threads: it must be safe to call on
// several threads at once and must touch nothing the pass uses.
using TagReadFunction = std::function<FileTags(const std::string& path)>;

// Files read ahead of the pass at most: a few hundred bytes of tags each. Readers wake to
// refill half of it at a time, so that on a warm cache each wake-up reads several files.
inline constexpr std::size_t kReadAheadWindow = 256;
// The bytes of tags read ahead and not yet taken at which the readers stop: the window's
// files hold a few dozen KB.
inline constexpr std::size_t kReadAheadBytes = 1024 * 1024;

class TagPrefetcher {
public:
    // Starts `readers` threads over `list`; with none (or when no thread can be started) each
    // file is read when it is taken. The list and the function must outlive the prefetcher.
    TagPrefetcher(const FileList& list, TagReadFunction read, std::size_t readers,
                  std::size_t window, std::size_t heldBytes = kReadAheadBytes);
    // Abandons what is in flight: each reader finishes at most the file it is reading, and
    // all have ended when the destructor returns.
    ~TagPrefetcher();
    TagPrefetcher(const TagPrefetcher&) = delete;
    TagPrefetcher& operator=(const TagPrefetcher&) = delete;

    // The tags of entry `index` of the list. Entries are taken in order, each once.
    FileTags Take(std::size_t index);

private:
    struct Slot {
        bool ready = false;
        std::optional<FileTags> tags;  // nothing for a file to read at its turn
    };

    void ReadAhead();

    const FileList& list_;
    TagReadFunction read_;
    const std::size_t window_;
    const std::size_t heldBytes_;
    std::vector<Slot> slots_;  // entry i in slot i % window_
    std::mutex mutex_;
    std::condition_variable readable_;  // for the readers: an entry may be read
    std::condition_variable ready_;     // for the pass: an entry was read
    static constexpr std::size_t kNone = static_cast<std::size_t>(-1);
    std::size_t nextToRead_ = 0;
    std::size_t taken_ = 0;           // entries taken by the pass
    std::size_t held_ = 0;            // bytes of the tags read and not yet taken
    std::size_t waitingFor_ = kNone;  // the entry the pass waits for
    bool stopping_ = false;
    std::vector<std::thread> readers_;
};

// The number of readers for this machine: enough requests in flight for a disk to serve them
// together (a virtual disk answers 16 at once about five times as fast as one after another),
// fewer on a single processor, where the readers' own work would compete with the pass:
// eight for each processor, between 8 and kMaxReaders. On a warm cache the readers sleep
// most of the time. For benchmarks only, the environment variable SORTUNE_READ_AHEAD sets the
// number (0 turns reading ahead off).
inline constexpr std::size_t kMaxReaders = 16;
std::size_t ReadAheadReaders();
