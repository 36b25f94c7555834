// Builds the two Chinese conversion tables, resources/bigtogb.bin and resources/gbtobig.bin,
// from glibc's iconv (CP950 for Big5, GB2312) and OpenCC's character dictionaries.
//
//   sortune_maketables OUTDIR [OPENCC_DATA_DIR]
//
// OpenCC's binary dictionaries are exported to text with opencc_dict (found on PATH) in a
// temporary folder. The output is the same byte for byte on every run.

#include <iconv.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

extern char** environ;

namespace {

using Bytes = std::vector<unsigned char>;
// Each character of a dictionary with its candidates, the preferred one first.
using Dictionary = std::map<char32_t, std::vector<char32_t>>;

constexpr const char* kDefaultOpenCcData = "/usr/share/opencc";
constexpr unsigned kBig5FirstLead = 0xA1;
constexpr unsigned kGbTrails = 94;  // 0xA1-0xFE
constexpr std::array<unsigned char, 2> kGbIdeographicSpace = {0xA1, 0xA1};
constexpr std::array<unsigned char, 2> kBig5IdeographicSpace = {0xA1, 0x40};

// One iconv conversion direction, opened once.
class Converter {
public:
    Converter(const char* to, const char* from) : m_cd(iconv_open(to, from)) {}
    ~Converter() {
        if (Ok()) {
            iconv_close(m_cd);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool Ok() const { return m_cd != reinterpret_cast<iconv_t>(-1); }

    // The whole input converted, or nothing when any of it does not convert.
    std::optional<std::string> Convert(std::string input) const {
        iconv(m_cd, nullptr, nullptr, nullptr, nullptr);
        std::array<char, 16> output{};
        char* in = input.data();
        std::size_t inLeft = input.size();
        char* out = output.data();
        std::size_t outLeft = output.size();
        if (iconv(m_cd, &in, &inLeft, &out, &outLeft) == static_cast<std::size_t>(-1) ||
            inLeft != 0) {
            return std::nullopt;
        }
        return std::string(output.data(), out);
    }

private:
    iconv_t m_cd;
};

// A double-byte character set, converting one character at a time to and from Unicode.
class Charset {
public:
    explicit Charset(const char* name) : m_decoder("UTF-32LE", name), m_encoder(name, "UTF-32LE") {}

    bool Ok() const { return m_decoder.Ok() && m_encoder.Ok(); }

    std::optional<char32_t> Decode(unsigned lead, unsigned trail) const {
        const auto text =
            m_decoder.Convert(std::string{static_cast<char>(lead), static_cast<char>(trail)});
        if (!text || text->size() != 4) {
            return std::nullopt;
        }
        char32_t ch = 0;
        for (int i = 3; i >= 0; --i) {
            ch = (ch << 8) | static_cast<unsigned char>((*text)[i]);
        }
        return ch;
    }

    // The character's double-byte code; single-byte results do not count.
    std::optional<std::array<unsigned char, 2>> Encode(char32_t ch) const {
        std::string utf32(4, '\0');
        for (int i = 0; i < 4; ++i) {
            utf32[i] = static_cast<char>((ch >> (8 * i)) & 0xFF);
        }
        const auto text = m_encoder.Convert(utf32);
        if (!text || text->size() != 2) {
            return std::nullopt;
        }
        return std::array{static_cast<unsigned char>((*text)[0]),
                          static_cast<unsigned char>((*text)[1])};
    }

private:
    Converter m_decoder;
    Converter m_encoder;
};

std::vector<char32_t> DecodeUtf8(const std::string& text) {
    std::vector<char32_t> result;
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = static_cast<unsigned char>(text[i]);
        const int length = byte < 0x80 ? 1 : byte < 0xE0 ? 2 : byte < 0xF0 ? 3 : 4;
        char32_t ch = length == 1 ? byte : byte & (0x7F >> length);
        for (int k = 1; k < length && i + k < text.size(); ++k) {
            ch = (ch << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        }
        result.push_back(ch);
        i += length;
    }
    return result;
}

// Reads opencc_dict's text form: a character, a tab, its candidates separated by spaces.
// Entries for phrases are skipped.
Dictionary ReadDictionary(const fs::path& path) {
    Dictionary dictionary;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        const std::size_t tab = line.find('\t');
        if (tab == std::string::npos) {
            continue;
        }
        const std::vector<char32_t> key = DecodeUtf8(line.substr(0, tab));
        std::vector<char32_t> values;
        std::istringstream candidates(line.substr(tab + 1));
        std::string candidate;
        while (candidates >> candidate) {
            const std::vector<char32_t> value = DecodeUtf8(candidate);
            if (value.size() == 1) {
                values.push_back(value[0]);
            }
        }
        if (key.size() == 1 && !values.empty()) {
            dictionary.emplace(key[0], std::move(values));
        }
    }
    return dictionary;
}

bool Run(const std::vector<std::string>& arguments) {
    std::vector<char*> argv;
    for (const std::string& argument : arguments) {
        argv.push_back(const_cast<char*>(argument.c_str()));
    }
    argv.push_back(nullptr);
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ) != 0) {
        return false;
    }
    int status = 0;
    return waitpid(pid, &status, 0) == pid && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

std::optional<Dictionary> ExportDictionary(const fs::path& openCcData, const std::string& name,
                                           const fs::path& scratch) {
    const fs::path text = scratch / (name + ".txt");
    if (!Run({"opencc_dict", "-i", (openCcData / (name + ".ocd2")).string(), "-o", text.string(),
              "-f", "ocd2", "-t", "text"})) {
        std::fprintf(stderr, "opencc_dict could not export %s\n", name.c_str());
        return std::nullopt;
    }
    return ReadDictionary(text);
}

const std::vector<char32_t>* Lookup(const Dictionary& dictionary, char32_t ch) {
    const auto found = dictionary.find(ch);
    return found == dictionary.end() ? nullptr : &found->second;
}

// Big5 characters kept apart from the simplified form OpenCC gives them. 氾 (flood) and 泛
// (float, general) are different words; OpenCC folds the first into the second, and a title
// written with 氾 would then read as the other word.
constexpr std::array<char32_t, 1> kNoCounterpart = {U'氾'};

// The GB2312 code of a traditional character: OpenCC's first simplified candidate that GB2312
// holds, else the character itself; nothing when GB2312 has neither.
std::optional<std::array<unsigned char, 2>> SimplifiedGbCode(char32_t ch, const Charset& gb2312,
                                                             const Dictionary& toSimplified) {
    if (std::find(kNoCounterpart.begin(), kNoCounterpart.end(), ch) != kNoCounterpart.end()) {
        return std::nullopt;
    }
    if (const auto* simplified = Lookup(toSimplified, ch)) {
        for (const char32_t candidate : *simplified) {
            if (const auto code = gb2312.Encode(candidate)) {
                return code;
            }
        }
    }
    return gb2312.Encode(ch);
}

Bytes MakeBigToGb(const Charset& big5, const Charset& gb2312, const Dictionary& toSimplified) {
    Bytes table;
    for (unsigned lead = kBig5FirstLead; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            std::array<unsigned char, 2> entry = kGbIdeographicSpace;
            if (trail >= 0x7F && trail <= 0xA0) {
                // Not a Big5 pair: it converts to itself.
                entry = {static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)};
            } else if (const auto ch = big5.Decode(lead, trail)) {
                entry = SimplifiedGbCode(*ch, gb2312, toSimplified).value_or(kGbIdeographicSpace);
            }
            table.insert(table.end(), entry.begin(), entry.end());
        }
    }
    return table;
}

// The codes of Big5's user-defined area in order, from 0xFA40.
std::vector<std::array<unsigned char, 2>> Big5UserDefinedCodes(std::size_t count) {
    std::vector<std::array<unsigned char, 2>> codes;
    for (unsigned lead = 0xFA; lead <= 0xFE; ++lead) {
        for (unsigned trail = 0x40; trail <= 0xFE; ++trail) {
            if (trail >= 0x7F && trail <= 0xA0) {
                continue;
            }
            if (codes.size() == count) {
                return codes;
            }
            codes.push_back({static_cast<unsigned char>(lead), static_cast<unsigned char>(trail)});
        }
    }
    return codes;
}

// For each simplified character, the traditional characters whose preferred simplified form it
// is, in code point order.
Dictionary InvertPreferred(const Dictionary& toSimplified) {
    Dictionary inverted;
    for (const auto& [traditional, simplified] : toSimplified) {
        inverted[simplified.front()].push_back(traditional);
    }
    return inverted;
}

// The traditional forms of a simplified character, most wanted first: OpenCC's candidates, the
// character itself, then the characters OpenCC simplifies to it. The last ones matter where
// OpenCC prefers a form Big5 lacks and lists no other (为 -> 爲 only; Big5 has 為).
std::vector<char32_t> TraditionalForms(char32_t ch, const Dictionary& toTraditional,
                                       const Dictionary& fromTraditional) {
    std::vector<char32_t> forms;
    if (const auto* candidates = Lookup(toTraditional, ch)) {
        forms = *candidates;
    }
    forms.push_back(ch);
    if (const auto* sources = Lookup(fromTraditional, ch)) {
        forms.insert(forms.end(), sources->begin(), sources->end());
    }
    return forms;
}

std::array<unsigned char, 2> GbToBigEntry(unsigned lead, unsigned trail, const Charset& big5,
                                          const Charset& gb2312, const Dictionary& toTraditional,
                                          const Dictionary& fromTraditional) {
    const auto ch = gb2312.Decode(lead, trail);
    if (!ch) {
        return kBig5IdeographicSpace;
    }
    for (const char32_t form : TraditionalForms(*ch, toTraditional, fromTraditional)) {
        if (const auto code = big5.Encode(form)) {
            return *code;
        }
    }
    return kBig5IdeographicSpace;
}

Bytes MakeGbToBig(const Charset& big5, const Charset& gb2312, const Dictionary& toTraditional,
                  const Dictionary& fromTraditional) {
    // GB2312's user-defined rows 0xFA-0xFD map onto the start of Big5's user-defined area.
    const auto userDefined = Big5UserDefinedCodes(4 * kGbTrails);
    std::size_t nextUserDefined = 0;
    Bytes table;
    for (unsigned lead = 0xA1; lead <= 0xFE; ++lead) {
        if (lead >= 0xAA && lead <= 0xAF) {
            continue;
        }
        for (unsigned trail = 0xA1; trail <= 0xFE; ++trail) {
            std::array<unsigned char, 2> entry = kBig5IdeographicSpace;
            if (lead >= 0xFA && lead <= 0xFD) {
                entry = userDefined[nextUserDefined++];
            } else if (lead < 0xF8) {
                entry = GbToBigEntry(lead, trail, big5, gb2312, toTraditional, fromTraditional);
            }
            table.insert(table.end(), entry.begin(), entry.end());
        }
    }
    return table;
}

bool WriteFile(const fs::path& path, const Bytes& data) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(data.data()),
              static_cast<std::streamsize>(data.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return false;
    }
    return true;
}

std::optional<fs::path> MakeScratchFolder() {
    std::string pattern = (fs::temp_directory_path() / "maketables.XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) {
        return std::nullopt;
    }
    return fs::path(pattern);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2 || argc > 3) {
        std::fprintf(stderr, "usage: %s OUTDIR [OPENCC_DATA_DIR]\n", argv[0]);
        return 2;
    }
    const fs::path outFolder = argv[1];
    const fs::path openCcData = argc == 3 ? argv[2] : kDefaultOpenCcData;

    const Charset big5("CP950");
    const Charset gb2312("GB2312");
    if (!big5.Ok() || !gb2312.Ok()) {
        std::fprintf(stderr, "iconv lacks CP950 or GB2312\n");
        return 1;
    }
    const auto scratch = MakeScratchFolder();
    if (!scratch) {
        std::fprintf(stderr, "cannot make a temporary folder\n");
        return 1;
    }
    const auto toSimplified = ExportDictionary(openCcData, "TSCharacters", *scratch);
    const auto toTraditional = ExportDictionary(openCcData, "STCharacters", *scratch);
    std::error_code ignored;
    fs::remove_all(*scratch, ignored);
    if (!toSimplified || !toTraditional) {
        return 1;
    }
    const bool written =
        WriteFile(outFolder / "bigtogb.bin", MakeBigToGb(big5, gb2312, *toSimplified)) &&
        WriteFile(outFolder / "gbtobig.bin",
                  MakeGbToBig(big5, gb2312, *toTraditional, InvertPreferred(*toSimplified)));
    return written ? 0 : 1;
}
