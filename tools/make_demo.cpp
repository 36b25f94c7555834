// Writes a small demo collection for tools/demo.sh: MP3 files whose tags show what sortune
// does with them (GBK and Big5 ID3v1 titles, UTF-16 ID3v2 titles, track numbers, characters a
// file name cannot hold, a title given twice, a file without tags), a dead shortcut and a
// file that is not music.
//
//   sortune_make_demo FOLDER

#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/codepage.h"
#include "tests/support/mp3writer.h"

namespace {

std::string Gbk(const char* utf8) {
    return codepage::Utf8ToCp936(utf8);
}

Mp3Fixture WithId3v1(const std::string& title, const std::string& artist = "") {
    Mp3Fixture song;
    song.id3v1.emplace();
    song.id3v1->title = title;
    song.id3v1->artist = artist;
    return song;
}

Mp3Fixture WithId3v2(const std::u16string& title, const std::u16string& artist) {
    Mp3Fixture song;
    song.id3v2.emplace();
    song.id3v2->version = 4;
    Id3v2Frame titleFrame;
    titleFrame.id = "TIT2";
    titleFrame.fields = Utf16Text(title);
    Id3v2Frame artistFrame;
    artistFrame.id = "TPE1";
    artistFrame.fields = Utf16Text(artist);
    song.id3v2->frames = {titleFrame, artistFrame};
    return song;
}

bool WriteDemo(const std::string& folder) {
    const std::string big5Love = "\xB7\x52\xB1\xA1";  // 愛情 in Big5
    const struct {
        const char* name;
        Mp3Fixture song;
    } songs[] = {
        {"track01.mp3", WithId3v1(Gbk("01.小雨"), Gbk("abccom-歌手甲"))},
        {"track02.mp3", WithId3v1(big5Love, Gbk("歌手乙"))},
        {"track03.mp3", WithId3v2(u"月亮代表我的心", u"歌手丙")},
        {"track04.mp3", WithId3v1("AC/DC: Live?")},
        {"track05.mp3", WithId3v1(Gbk("05_春天"))},
        {"track06.mp3", WithId3v1(Gbk("小雨"), Gbk("歌手丁"))},
        {"SONG.MP3", WithId3v1("Song")},
        {"untagged.mp3", Mp3Fixture{}},
    };
    std::filesystem::create_directories(folder);
    for (const auto& [name, song] : songs) {
        if (!WriteMp3(folder + "/" + name, song)) {
            return false;
        }
    }
    std::ofstream(folder + "/cover.jpg") << "not music";
    // A shortcut whose file has gone: the walk deletes it.
    return symlink((folder + "/gone.mp3").c_str(), (folder + "/旧歌.mp3.lnk").c_str()) == 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fputs("usage: sortune_make_demo FOLDER\n", stderr);
        return 2;
    }
    if (!WriteDemo(argv[1])) {
        std::fprintf(stderr, "sortune_make_demo: cannot write the demo into %s\n", argv[1]);
        return 1;
    }
    return 0;
}
