#pragma once

#include <string>

// The title, artist and album of one tag set of one file: code page 936 bytes, "" when absent.
struct TrackTags {
    std::string title;
    std::string artist;
    std::string album;

    friend bool operator==(const TrackTags&, const TrackTags&) = default;
};
