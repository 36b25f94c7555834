#include "organizer/tagedit.h"

#include <zlib.h>

#include <algorithm>

namespace {

bool AllZero(std::string_view bytes) {
    return std::all_of(bytes.begin(), bytes.end(), [](char byte) { return byte == '\0'; });
}

// The spans run on `source`, without the checks of the lengths and CRCs.
std::optional<std::string> RunSpans(std::string_view source, const std::vector<TagSpan>& removed,
                                    const std::vector<TagSpan>& inserted,
                                    std::size_t resultLength) {
    std::string out(source);
    for (auto it = removed.rbegin(); it != removed.rend(); ++it) {
        const TagSpan& span = *it;
        if (span.offset > out.size() ||
            out.compare(span.offset, span.bytes.size(), span.bytes) != 0) {
            return std::nullopt;
        }
        out.erase(span.offset, span.bytes.size());
    }
    for (const TagSpan& span : inserted) {
        // Padding cut at the end of the source comes back before what follows it.
        if (out.size() < span.offset) {
            out.resize(span.offset, '\0');
        }
        out.insert(span.offset, span.bytes);
    }
    if (out.size() > resultLength) {
        if (!AllZero(std::string_view(out).substr(resultLength))) {
            return std::nullopt;
        }
        out.resize(resultLength);
    }
    out.resize(resultLength, '\0');
    return out;
}

}  // namespace

std::uint32_t RegionCrc(std::string_view bytes) {
    uLong crc = crc32(0L, Z_NULL, 0);
    // zlib takes at most 4 GiB a call; a tag is far smaller, but the loop costs nothing.
    while (!bytes.empty()) {
        const auto piece = static_cast<uInt>(std::min<std::size_t>(bytes.size(), 1u << 30));
        crc = crc32(crc, reinterpret_cast<const Bytef*>(bytes.data()), piece);
        bytes.remove_prefix(piece);
    }
    return static_cast<std::uint32_t>(crc);
}

std::optional<TagEdit> MakeTagEdit(std::string_view source, std::vector<TagSpan> removed,
                                   std::vector<TagSpan> inserted, std::size_t resultLength) {
    const std::optional<std::string> result = RunSpans(source, removed, inserted, resultLength);
    if (!result) {
        return std::nullopt;
    }
    TagEdit edit{source.size(),      RegionCrc(source),  result->size(),
                 RegionCrc(*result), std::move(removed), std::move(inserted)};
    // An edit whose inverse would not give the source back is no edit: it must run both ways.
    if (RunSpans(*result, edit.inserted, edit.removed, edit.sourceLength) != std::string(source)) {
        return std::nullopt;
    }
    return edit;
}

std::optional<TagEdit> MakeReplacingEdit(std::string_view source,
                                         const std::vector<TagReplacement>& replacements,
                                         std::size_t resultLength) {
    std::vector<TagSpan> removed;
    std::vector<TagSpan> inserted;
    std::ptrdiff_t shift = 0;
    for (const TagReplacement& replacement : replacements) {
        removed.push_back({replacement.offset, replacement.replaced});
        inserted.push_back({replacement.offset + shift, replacement.replacement});
        shift += static_cast<std::ptrdiff_t>(replacement.replacement.size()) -
                 static_cast<std::ptrdiff_t>(replacement.replaced.size());
    }
    return MakeTagEdit(source, std::move(removed), std::move(inserted), resultLength);
}

std::ptrdiff_t GrowthOf(const std::vector<TagReplacement>& replacements) {
    std::ptrdiff_t growth = 0;
    for (const TagReplacement& replacement : replacements) {
        growth += static_cast<std::ptrdiff_t>(replacement.replacement.size()) -
                  static_cast<std::ptrdiff_t>(replacement.replaced.size());
    }
    return growth;
}

std::optional<std::string> ApplyTagEdit(const TagEdit& edit, std::string_view source) {
    if (source.size() != edit.sourceLength || RegionCrc(source) != edit.sourceCrc) {
        return std::nullopt;
    }
    std::optional<std::string> result =
        RunSpans(source, edit.removed, edit.inserted, edit.resultLength);
    if (!result || RegionCrc(*result) != edit.resultCrc) {
        return std::nullopt;
    }
    return result;
}

TagEdit InverseOf(const TagEdit& edit) {
    return {edit.resultLength, edit.resultCrc, edit.sourceLength, edit.sourceCrc,
            edit.inserted,     edit.removed,   edit.region};
}
